#include "qxcore/resources/res_deps.h"

#include "qxcore/core/messages.h"
#include "qxcore/fs/mount_table.h"
#include "qxcore/fs/text_files.h"
#include "qxcore/strings/string_tokenizer.h"

namespace quarn {

namespace {

bool dependency_file_of(const string& resource, mstring_t* out) {
  return out->copy(resource) && out->append(string_alias_t(".dep"));
}

}  // namespace

void res_deps_t::add_primary_source(const string& path) {
  if (!paths_.empty()) error("Attempt to set multiple primary sources.");
  paths_.push_back(string_dyn_t<>(path));
}

void res_deps_t::add(const string& path) {
  if (paths_.empty()) error("Attempt to set dependency without setting the primary source first.");
  paths_.push_back(string_dyn_t<>(path));
}

bool res_deps_t::write(const string& resource) {
  string_dyn_t<> name;
  fs_mount_table_t* table = fs_mount_table();
  file_t* file = nullptr;
  if (dependency_file_of(resource, &name) && table != nullptr)
    file = table->create(name, RES_DEPENDENCY_RANGE);
  if (file == nullptr) {
    error("Error creating dependency file '%s'.", name.c_str());
    return false;
  }
  for (unsigned int i = 0; i < paths_.size(); ++i) file->printf("%s\r\n", paths_[i].c_str());
  delete file;
  return true;
}

bool res_deps_t::read(const string& resource) {
  string_dyn_t<> name;
  fs_mount_table_t* table = fs_mount_table();
  if (!dependency_file_of(resource, &name) || table == nullptr) return false;
  file_t* file = table->open(name, RES_DEPENDENCY_RANGE);
  if (file == nullptr) return false;
  text_lines_t* lines = fs_read_text_file(*file);  // the text lives on the heap, whatever its size
  bool ok = lines != nullptr;
  for (unsigned int i = 0; ok && i < lines->size(); ++i) {
    string_tokenizer_t words((*lines)[i].c_str(), " ");
    string_dyn_t<> path;
    if (!words.get_token(&path)) {
      error("Error processing dependency file '%s'.", name.c_str());
      ok = false;
    } else {
      paths_.push_back(path);
    }
  }
  delete lines;
  delete file;
  return ok;
}

bool res_deps_t::remove_file(const string& resource) {
  string_dyn_t<> name;
  fs_mount_table_t* table = fs_mount_table();
  return dependency_file_of(resource, &name) && table != nullptr &&
         table->remove(name, RES_DEPENDENCY_RANGE);
}

bool resource_is_out_of_date(const string& resource, mstring_t* reason) {
  fs_mount_table_t* table = fs_mount_table();
  fs_stat_t converted;
  if (table == nullptr || !table->stat(resource, &converted, RES_CONVERTED_RANGE)) {
    if (reason != nullptr) reason->copy(string_alias_t("The resource is not converted."));
    return true;
  }
  res_deps_t deps;
  if (!deps.read(resource)) {
    if (reason != nullptr) reason->copy(string_alias_t("Failed to read dependency list."));
    return true;
  }
  for (unsigned int i = 0; i < deps.size(); ++i) {
    fs_stat_t source;
    if (!table->stat(deps.get(i), &source, RES_SOURCE_RANGE)) {
      if (reason != nullptr) reason->printf("Dependency '%s' does not exist.", deps.get(i).c_str());
      return true;
    }
    if (source.time > converted.time) {
      if (reason != nullptr) reason->printf("Dependency '%s' is newer.", deps.get(i).c_str());
      return true;
    }
  }
  if (reason != nullptr && reason->capacity() > 0) reason->data()[0] = '\0';
  return false;
}

}  // namespace quarn
