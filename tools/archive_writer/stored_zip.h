// A ZIP writer for host programs and tests: the library only reads archives,
// so the demo, the benchmarks and the tests write theirs with this. It makes
// well-formed archives of stored members, or (for tests) archives damaged in
// exactly one chosen way.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace qxtools {

struct zip_member_t {
  std::string name;
  std::string data;
  unsigned int method = 0;         // in the central directory (8: deflated)
  int local_method = -1;           // in the local header, when it differs
  bool directory_attribute = false;
  unsigned int extra_length = 0;   // zero bytes behind the central name
  unsigned int comment_length = 0;
};

struct zip_damage_t {
  std::string archive_comment;
  long count = -1;             // the record count the end record claims
  long directory_offset = -1;  // the central directory offset it claims
  int bad_record_signature = -1;
  bool bad_end_signature = false;
};

inline std::uint32_t crc32_of(const std::string& bytes) {
  std::uint32_t crc = 0xFFFFFFFFu;
  for (unsigned char b : bytes) {
    crc ^= b;
    for (int k = 0; k < 8; ++k) crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
  }
  return ~crc;
}

inline void put16(std::string& s, unsigned int v) {
  s += static_cast<char>(v & 0xFF);
  s += static_cast<char>(v >> 8 & 0xFF);
}

inline void put32(std::string& s, std::uint32_t v) {
  put16(s, v & 0xFFFF);
  put16(s, v >> 16);
}

inline std::string build_zip(const std::vector<zip_member_t>& members, const zip_damage_t& damage = {}) {
  std::string out;
  std::vector<std::uint32_t> offsets;
  for (const auto& m : members) {
    offsets.push_back(static_cast<std::uint32_t>(out.size()));
    put32(out, 0x04034B50);
    put16(out, 10);
    put16(out, 0);
    put16(out, m.local_method >= 0 ? static_cast<unsigned int>(m.local_method) : m.method);
    put32(out, 0);
    put32(out, crc32_of(m.data));
    put32(out, static_cast<std::uint32_t>(m.data.size()));
    put32(out, static_cast<std::uint32_t>(m.data.size()));
    put16(out, static_cast<unsigned int>(m.name.size()));
    put16(out, 3);  // a local extra field, which readers must skip
    out += m.name;
    out += std::string(3, '\x7f');
    out += m.data;
  }
  std::uint32_t directory = static_cast<std::uint32_t>(out.size());
  for (std::size_t i = 0; i < members.size(); ++i) {
    const auto& m = members[i];
    put32(out, static_cast<int>(i) == damage.bad_record_signature ? 0x02014B51 : 0x02014B50);
    put16(out, 20);
    put16(out, 10);
    put16(out, 0);
    put16(out, m.method);
    put32(out, 0);
    put32(out, crc32_of(m.data));
    put32(out, static_cast<std::uint32_t>(m.data.size()));
    put32(out, static_cast<std::uint32_t>(m.data.size()));
    put16(out, static_cast<unsigned int>(m.name.size()));
    put16(out, m.extra_length);
    put16(out, m.comment_length);
    put16(out, 0);
    put16(out, 0);
    put32(out, m.directory_attribute ? 0x10 : 0);
    put32(out, offsets[i]);
    out += m.name;
    out += std::string(m.extra_length + m.comment_length, '\0');
  }
  std::uint32_t directory_size = static_cast<std::uint32_t>(out.size()) - directory;
  put32(out, damage.bad_end_signature ? 0x06054B51 : 0x06054B50);
  put16(out, 0);
  put16(out, 0);
  unsigned int count = damage.count >= 0 ? static_cast<unsigned int>(damage.count)
                                         : static_cast<unsigned int>(members.size());
  put16(out, count);
  put16(out, count);
  put32(out, directory_size);
  put32(out, damage.directory_offset >= 0 ? static_cast<std::uint32_t>(damage.directory_offset) : directory);
  put16(out, static_cast<unsigned int>(damage.archive_comment.size()));
  out += damage.archive_comment;
  return out;
}

}  // namespace qxtools
