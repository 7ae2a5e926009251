#include "qxcore/units/unit_save.h"

#include "qxcore/core/assertions.h"
#include "qxcore/core/host_memory.h"
#include "qxcore/core/messages.h"
#include "qxcore/fs/file.h"
#include "qxcore/units/unit_resource_tie.h"
#include "qxcore/units/units_text_writer.h"

namespace quarn {

namespace {

const char* type_name_of(const unit_base_t* unit) {
  return unit->get_unit_descriptor()->class_name->c_str();
}

bool follows(unit_traversal_mode_t mode, unit_attr_type_t scalar) {
  if (scalar == UAT_OWNED_UNIT) return true;
  return scalar == UAT_LINKED_UNIT && (mode == UTM_REFERENCED_IN_SYSTEM || mode == UTM_REFERENCED);
}

// Reads a unit pointer: element `index` of an array, or the scalar for END.
bool read_pointer(const unit_base_t* unit, const unit_attribute_t* a, unsigned int index,
                  unit_base_t** out) {
  return index == unit_base_t::END ? unit->get_value(a, out) : unit->get_value(a, index, out);
}

}  // namespace

// One unit whose children are being collected: where its walk stands.
struct unit_save_t::frame_t {
  unit_base_t* unit;
  const unit_descriptor_t* type;
  const unit_attribute_t* attribute;  // the next attribute to look at
  unsigned int index;                 // the next element of an array attribute
  unsigned int size;                  // that array's size
};

void* unit_save_t::operator new(std::size_t size) noexcept { return host_alloc(size); }
void unit_save_t::operator delete(void* p) noexcept { host_free(p); }

unit_save_t::unit_save_t(file_t& file, unit_traversal_mode_t mode)
    : file_(&file), mode_(mode), line_(host_new<units_text_writer_t>()) {}

unit_save_t::~unit_save_t() {
  reset();
  host_delete(line_);
}

void unit_save_t::reset() {
  for (unsigned int i = 0; i < units_.size(); ++i) {
    unit_base_t* unit = units_.data()[i];
    if (unit->is_alive()) unit->set_save_mark(false);
    unit->drop_reference();
  }
  units_.clear();
}

void unit_save_t::add(unit_base_t* unit, unit_traversal_mode_t mode) {
  const unit_traversal_mode_t saved = mode_;
  mode_ = mode;
  add(unit);
  mode_ = saved;
}

bool unit_save_t::collect(unit_base_t* unit) {
  if (unit == nullptr || unit->has_save_mark()) return false;
  if (depth_ > 0 && current_system_ != nullptr &&
      unit_system_t::get_system(unit->get_system_index()) != current_system_)
    return false;
  if (!units_.push_back(unit)) {
    error("[unit] Out of memory while collecting units to save.");
    return false;
  }
  unit->set_save_mark(true);
  unit->add_reference();
  return true;
}

void unit_save_t::add(unit_base_t* unit) {
  if (!collect(unit)) return;
  switch (mode_) {
    case UTM_UNIT_ONLY:
      return;
    case UTM_OWNED_IN_SYSTEM:
    case UTM_REFERENCED_IN_SYSTEM:
      current_system_ = unit_system_t::get_system(unit->get_system_index());
      ++depth_;
      collect_children(unit);
      if (--depth_ == 0) current_system_ = nullptr;
      return;
    case UTM_OWNED:
    case UTM_REFERENCED:
      collect_children(unit);
      return;
    default:
      v_abort_fail("unit_save_t::add(): Unknown unit traversal mode.", "units/unit_save", 226,
                   "unknown fn");
      return;
  }
}

// Depth-first pre-order over the pointer attributes, with an explicit stack so
// that a long chain of units cannot exhaust the call stack.
void unit_save_t::collect_children(unit_base_t* root) {
  array_dyn_t<frame_t> stack;
  const unit_descriptor_t* type = root->get_unit_descriptor();
  if (!stack.push_back({root, type, type->attributes, 0, 0})) return;
  string_dyn_t<> name;
  while (stack.size() > 0) {
    frame_t& f = stack.data()[stack.size() - 1];
    if (f.attribute->type == UAT_NONE) {
      f.type = f.type->parent;
      if (f.type == nullptr) {
        stack.resize(stack.size() - 1);
        continue;
      }
      f.attribute = f.type->attributes;
      f.index = 0;
      continue;
    }
    const unit_attribute_t* a = f.attribute;
    const unit_attr_type_t scalar = unit_attr_type_element_type(a->type);
    if (!follows(mode_, scalar)) {
      ++f.attribute;
      continue;
    }
    unit_base_t* target = nullptr;
    if (!unit_attr_type_is_array(a->type)) {
      ++f.attribute;
      if (!f.unit->get_value(a, &target)) {
        f.unit->get_name(&name);
        error("[unit] Failed to get scalar '%s' of unit '%s'", a->name.c_str(), name.c_str());
        continue;
      }
    } else {
      if (f.index == 0 && !f.unit->get_size(a, &f.size)) {
        f.unit->get_name(&name);
        error("[unit] Failed to get size of '%s' of unit '%s'", a->name.c_str(), name.c_str());
        ++f.attribute;
        continue;
      }
      if (f.index >= f.size) {
        ++f.attribute;
        f.index = 0;
        continue;
      }
      const unsigned int i = f.index++;
      if (!f.unit->get_value(a, i, &target)) {
        f.unit->get_name(&name);
        error("[unit] Failed to get element '%s' @%u of unit '%s'", a->name.c_str(), i,
              name.c_str());
        continue;
      }
    }
    if (!collect(target)) continue;
    const unit_descriptor_t* target_type = target->get_unit_descriptor();
    stack.push_back({target, target_type, target_type->attributes, 0, 0});
  }
}

bool unit_save_t::check_names() {
  bool ok = true;
  string_dyn_t<> name;
  for (unsigned int i = 0; i < units_.size(); ++i) {
    unit_base_t* unit = units_.data()[i];
    if (!unit->is_alive()) continue;
    for (const unit_descriptor_t* d = unit->get_unit_descriptor(); d != nullptr; d = d->parent) {
      for (const unit_attribute_t* a = d->attributes; a->type != UAT_NONE; ++a) {
        const unit_attr_type_t scalar = unit_attr_type_element_type(a->type);
        if (scalar != UAT_OWNED_UNIT && scalar != UAT_LINKED_UNIT) continue;
        unsigned int size = 1;
        const bool array = unit_attr_type_is_array(a->type);
        if (array && !unit->get_size(a, &size)) continue;
        for (unsigned int k = 0; k < size; ++k) {
          unit_base_t* target = nullptr;
          if (!read_pointer(unit, a, array ? k : unit_base_t::END, &target)) continue;
          if (target == nullptr || target->has_save_mark() || !target->is_nameless()) continue;
          unit->get_name(&name);
          error("[unit] Attempt to serialise nameless unit - attribute '%s' of unit '%s'",
                a->name.c_str(), name.c_str());
          ok = false;
        }
      }
    }
  }
  return ok;
}

bool unit_save_t::save(unit_payload_format_t format) {
  if (!check_names()) return false;
  string_dyn_t<> name;
  for (unsigned int i = 0; i < units_.size(); ++i) {
    unit_base_t* unit = units_.data()[i];
    if (!unit->is_alive() || unit->_call_pre_save()) continue;
    unit->get_name(&name);
    error("[unit] The unit '%s' (of type '%s') failed to prepare itself for saving.", name.c_str(),
          type_name_of(unit));
    for (unsigned int k = i + 1; k-- > 0;)
      if (units_.data()[k]->is_alive()) units_.data()[k]->_call_post_save();
    return false;
  }
  format_ = format;
  bool ok = format == UPF_TEXT && line_ != nullptr && write_units();
  if (!ok) {
    string_dyn_t<> file_name;
    file_->get_location(&file_name);
    error("[unit] Error while writing units to file '%s'", file_name.c_str());
  }
  for (unsigned int i = 0; i < units_.size(); ++i) {
    unit_base_t* unit = units_.data()[i];
    if (!unit->is_alive() || unit->_call_post_save()) continue;
    unit->get_name(&name);
    error("[unit] The unit '%s' (of type '%s') failed to recover itself for saving.", name.c_str(),
          type_name_of(unit));
    ok = false;
  }
  return ok;
}

bool unit_save_t::flush() {
  const bool ok = line_->ok() && (line_->size() == 0 || file_->write(line_->data(), line_->size()));
  line_->clear();
  return ok;
}

bool unit_save_t::write_units() {
  line_->clear();
  line_->append("QxdNunit\r\n{\r\n");
  if (!flush()) return false;
  for (unsigned int i = 0; i < units_.size(); ++i) {
    unit_base_t* unit = units_.data()[i];
    if (unit->is_alive() && !write_unit(unit)) return false;
  }
  line_->append("}\r\n");
  return flush();
}

bool unit_save_t::write_unit(unit_base_t* unit) {
  string_dyn_t<> name;
  unit->get_name(&name);
  line_->append(type_name_of(unit));
  line_->append(" : ");
  line_->append(name.c_str());
  line_->append(" {\r\n");
  if (!flush()) return false;
  for (const unit_descriptor_t* d = unit->get_unit_descriptor(); d != nullptr; d = d->parent)
    for (const unit_attribute_t* a = d->attributes; a->type != UAT_NONE; ++a)
      if (!write_attribute(unit, a)) return false;
  line_->append("}\r\n\r\n");
  return flush();
}

bool unit_save_t::write_attribute(unit_base_t* unit, const unit_attribute_t* a) {
  if (a->type > UAT_LAST) {
    error("[unit] Unknown unit attribute type.");
    return false;
  }
  const unit_attr_type_t scalar = unit_attr_type_element_type(a->type);
  if (!unit_attr_type_is_array(a->type)) {
    line_->append_char(' ');
    line_->append(a->name.c_str());
    return write_value(unit, a, scalar, unit_base_t::END) && flush();
  }
  unsigned int size;
  if (!unit->get_size(a, &size)) return false;
  line_->append_char(' ');
  line_->append(a->name.c_str());
  line_->append(": ");
  line_->append_unsigned(size);
  line_->append("\r\n");
  if (!flush()) return false;
  for (unsigned int i = 0; i < size; ++i) {
    line_->append_char(' ');
    line_->append(a->name.c_str());
    line_->append_char('[');
    line_->append_unsigned(i);
    line_->append_char(']');
    if (!write_value(unit, a, scalar, i) || !flush()) return false;
  }
  return true;
}

namespace {

template <class T>
bool read_value(const unit_base_t* unit, const unit_attribute_t* a, unsigned int index, T* out) {
  return index == unit_base_t::END ? unit->get_value(a, out) : unit->get_value(a, index, out);
}

void append_floats(units_text_writer_t* w, const float* v, int n, bool quaternion = false) {
  w->append_char('(');
  for (int i = 0; i < n; ++i) {
    if (i > 0) w->append(quaternion && i == 1 ? "; " : ", ");
    w->append_float(v[i]);
  }
  w->append_char(')');
}

void append_vec3(units_text_writer_t* w, const vec_t<float, 3>& v) { append_floats(w, &v.x, 3); }
void append_quat(units_text_writer_t* w, const quat_t& q) { append_floats(w, &q.w, 4, true); }

}  // namespace

bool unit_save_t::write_value(unit_base_t* unit, const unit_attribute_t* a,
                              unit_attr_type_t scalar, unsigned int index) {
  units_text_writer_t* w = line_;
  if (scalar == UAT_MATRIX) {
    unit_matrix_t m;
    if (!read_value(unit, a, index, &m)) return false;
    w->append(":\r\n");
    for (int k = 0; k < 4; ++k) {
      const float row[4] = {m.m[k], m.m[k + 4], m.m[k + 8], m.m[k + 12]};
      w->append("  ");
      append_floats(w, row, 4);
      w->append("\r\n");
    }
    return true;
  }
  w->append(": ");
  switch (scalar) {
    case UAT_STRING:
    case UAT_TOKEN: {
      const mstring_t* view = nullptr;
      if (scalar == UAT_STRING && index == unit_base_t::END && unit->get_value(a, &view)) {
        w->append_string(*view);
        break;
      }
      string_dyn_t<> text;
      if (!read_value(unit, a, index, static_cast<mstring_t*>(&text))) return false;
      w->append_string(text);
      break;
    }
    case UAT_FLOAT: {
      float v;
      if (!read_value(unit, a, index, &v)) return false;
      w->append_float(v);
      break;
    }
    case UAT_FLOAT2: {
      unit_float2_t v;
      if (!read_value(unit, a, index, &v)) return false;
      append_floats(w, &v.x, 2);
      break;
    }
    case UAT_FLOAT3: {
      unit_float3_t v;
      if (!read_value(unit, a, index, &v)) return false;
      append_vec3(w, v);
      break;
    }
    case UAT_FLOAT4: {
      unit_float4_t v;
      if (!read_value(unit, a, index, &v)) return false;
      append_floats(w, &v.x, 4);
      break;
    }
    case UAT_QUAT: {
      quat_t v;
      if (!read_value(unit, a, index, &v)) return false;
      append_quat(w, v);
      break;
    }
    case UAT_PLACEMENT: {
      placement_t v;
      if (!read_value(unit, a, index, &v)) return false;
      append_vec3(w, v.pos);
      w->append_char(' ');
      append_quat(w, v.rot);
      break;
    }
    case UAT_PLACEMENT_SCALE: {
      placement_scale_t v;
      if (!read_value(unit, a, index, &v)) return false;
      append_vec3(w, v.pos);
      w->append_char(' ');
      w->append_float(v.scale);
      w->append_char(' ');
      append_quat(w, v.rot);
      break;
    }
    case UAT_PLACEMENT_NONUNIFORM: {
      placement_nonuniform_t v;
      if (!read_value(unit, a, index, &v)) return false;
      append_vec3(w, v.pos);
      w->append_char(' ');
      append_vec3(w, v.scale);
      w->append_char(' ');
      append_quat(w, v.rot);
      break;
    }
    case UAT_PLANE: {
      plane_t v;
      if (!read_value(unit, a, index, &v)) return false;
      append_vec3(w, v.normal);
      w->append_char(' ');
      w->append_float(v.d);
      break;
    }
    case UAT_SPHERE: {
      sphere_t v;
      if (!read_value(unit, a, index, &v)) return false;
      append_vec3(w, v.center);
      w->append_char(' ');
      w->append_float(v.radius);
      break;
    }
    case UAT_AABOX: {
      aabox_t v;
      if (!read_value(unit, a, index, &v)) return false;
      append_vec3(w, v.min);
      w->append_char(' ');
      append_vec3(w, v.max);
      break;
    }
    case UAT_S32:
    case UAT_S32_ALT:
    case UAT_S64: {
      long long v;
      if (!read_value(unit, a, index, &v)) return false;
      w->append_signed(v);
      break;
    }
    case UAT_U32:
    case UAT_U32_ALT:
    case UAT_U32_UNCHECKED:
    case UAT_U64: {
      unsigned long long v;
      if (!read_value(unit, a, index, &v)) return false;
      w->append_unsigned(v);
      break;
    }
    case UAT_BOOL: {
      bool v;
      if (!read_value(unit, a, index, &v)) return false;
      w->append(v ? "true" : "false");
      break;
    }
    case UAT_ENUM: {
      int v;
      if (!read_value(unit, a, index, &v)) return false;
      const auto* domain = static_cast<const unit_attr_t<UAT_ENUM>*>(a->domain);
      const string* symbol = unit_base_t::lookup_enum_symbol(domain, v);
      if (symbol != nullptr) {
        w->append(symbol->c_str());
        break;
      }
      if (domain != nullptr) {
        string_dyn_t<> name;
        unit->get_name(&name);
        warning("[unit] Unit '%s' (type '%s') attribute '%s' value is outside its domain - %d!",
                name.c_str(), type_name_of(unit), a->name.c_str(), v);
      }
      w->append_signed(v);
      break;
    }
    case UAT_OWNED_UNIT:
    case UAT_LINKED_UNIT:
    case UAT_RESOURCE_TIE: {
      unit_base_t* target = nullptr;
      if (!read_value(unit, a, index, &target)) return false;
      string_dyn_t<> name;
      bool named = true;
      if (target == nullptr) {
        named = name.copy(string_alias_t("null"));
      } else if (scalar != UAT_RESOURCE_TIE) {
        named = target->get_name(&name);
      } else {
        unit_resource_tie_t* tie = unit_resource_tie_t::get_instance();
        named = tie != nullptr && tie->get_resource_name(&name, target);
      }
      if (!named) return false;
      if (scalar == UAT_RESOURCE_TIE) w->append_char('"');
      w->append(name.c_str());
      if (scalar == UAT_RESOURCE_TIE) w->append_char('"');
      break;
    }
    default:
      error("[unit] Unknown unit attribute type.");
      return false;
  }
  w->append("\r\n");
  return true;
}

}  // namespace quarn
