#include "support/PeBuilder.h"

#include <algorithm>
#include <map>
#include <tuple>

namespace pefixture {
namespace {

void Align(Bytes* bytes, size_t alignment) {
  while (bytes->size() % alignment) bytes->push_back(0);
}

// UTF-16 text and its terminator; narrow, the low byte of each unit.
void AppendText(Bytes* bytes, const std::u16string& text, bool narrow = false) {
  for (char16_t c : text) {
    bytes->push_back(static_cast<uint8_t>(c & 0xFF));
    if (!narrow) bytes->push_back(static_cast<uint8_t>(c >> 8));
  }
  bytes->insert(bytes->end(), narrow ? 1 : 2, 0);
}

// The narrow form has no type word and counts its value in bytes.
Bytes Serialize(const VersionNode& node, bool narrow) {
  Bytes block(narrow ? 4 : 6, 0);
  AppendText(&block, node.key, narrow);
  if (!narrow) PutU16(&block, 4, node.type);
  Align(&block, 4);
  block.insert(block.end(), node.value.begin(), node.value.end());
  block.insert(block.end(), node.roomBytes, 0);
  for (const VersionNode& child : node.children) {
    Align(&block, 4);
    Bytes bytes = Serialize(child, narrow);
    block.insert(block.end(), bytes.begin(), bytes.end());
  }
  PutU16(&block, 0, static_cast<uint16_t>(block.size()));
  PutU16(&block, 2, static_cast<uint16_t>(node.value.size() / (node.type && !narrow ? 2 : 1)));
  return block;
}

// The directories (root, types, names, one language each) come first; each
// name string, data entry and data follows them as its entry is written.
Bytes ResourceSection(const std::vector<Resource>& resources) {
  // Named entries sort before numbered ones, each group in order.
  using Key = std::tuple<bool, std::u16string, uint32_t>;
  std::map<uint32_t, std::map<Key, const Resource*>> types;
  for (const Resource& r : resources) types[r.type][Key(r.name.empty(), r.name, r.id)] = &r;
  size_t directory = 16 + 8 * types.size(), size = directory, typeEntry = 16;
  for (const auto& type : types) size += 16 + 32 * type.second.size();
  Bytes section(size, 0);
  PutU16(&section, 14, static_cast<uint16_t>(types.size()));
  for (const auto& type : types) {
    PutU32(&section, typeEntry, type.first);
    PutU32(&section, typeEntry + 4, 0x80000000u | uint32_t(directory));
    typeEntry += 8;
    uint16_t named = 0;
    for (const auto& name : type.second) named += !std::get<0>(name.first);
    PutU16(&section, directory + 12, named);
    PutU16(&section, directory + 14, static_cast<uint16_t>(type.second.size() - named));
    size_t nameEntry = directory + 16, language = nameEntry + 8 * type.second.size();
    directory = language + 24 * type.second.size();
    for (const auto& name : type.second) {
      const Resource& r = *name.second;
      uint32_t id = r.id;
      if (!r.name.empty()) {  // counted, not terminated
        Align(&section, 2);
        id = 0x80000000u | uint32_t(section.size());
        PutU16(&section, section.size(), static_cast<uint16_t>(r.name.size()));
        AppendText(&section, r.name);
        section.resize(section.size() - 2);
      }
      PutU32(&section, nameEntry, id);
      PutU32(&section, nameEntry + 4, 0x80000000u | uint32_t(language));
      nameEntry += 8;
      Align(&section, 8);
      const size_t entry = section.size();
      PutU16(&section, language + 14, 1);
      PutU32(&section, language + 16, r.language);
      PutU32(&section, language + 20, uint32_t(entry));
      language += 24;
      PutU32(&section, entry, kRsrcRva + uint32_t(entry) + 16);
      PutU32(&section, entry + 4, static_cast<uint32_t>(r.data.size()));
      section.resize(entry + 16);
      section.insert(section.end(), r.data.begin(), r.data.end());
    }
  }
  return section;
}

}  // namespace

void PutU16(Bytes* bytes, size_t at, uint16_t value) {
  if (bytes->size() < at + 2) bytes->resize(at + 2);
  (*bytes)[at] = static_cast<uint8_t>(value & 0xFF);
  (*bytes)[at + 1] = static_cast<uint8_t>(value >> 8);
}

void PutU32(Bytes* bytes, size_t at, uint32_t value) {
  PutU16(bytes, at, static_cast<uint16_t>(value & 0xFFFF));
  PutU16(bytes, at + 2, static_cast<uint16_t>(value >> 16));
}

uint16_t GetU16(const Bytes& bytes, size_t at) {
  return static_cast<uint16_t>(bytes.at(at) | (bytes.at(at + 1) << 8));
}

uint32_t GetU32(const Bytes& bytes, size_t at) {
  return GetU16(bytes, at) | (static_cast<uint32_t>(GetU16(bytes, at + 2)) << 16);
}

VersionNode StringNode(const std::u16string& key, const std::u16string& value, size_t extraUnits) {
  VersionNode node{key};
  AppendText(&node.value, value);
  node.roomBytes = 2 * extraUnits;
  return node;
}

Bytes VersionResource(const VersionPlan& plan) {
  VersionNode root{u"VS_VERSION_INFO", 0, Bytes(52, 0)};
  const uint32_t fixed[] = {0xFEEF04BD, 0x00010000, 0x00010002, 0x00030004, 0x00010002,
                            0x00030004, 0x3F,       0,          0x00040004, 1};
  for (size_t i = 0; i < 10; ++i) PutU32(&root.value, 4 * i, fixed[i]);
  VersionNode strings{u"StringFileInfo"}, vars{u"VarFileInfo", 1, {}, {{u"Translation", 0}}};
  for (const StringTable& table : plan.tables)
    strings.children.push_back({table.key, 1, {}, table.strings});
  Bytes& translation = vars.children[0].value;
  for (uint32_t t : plan.translations) PutU32(&translation, translation.size(), t);
  root.children = plan.varFileInfoFirst ? std::vector<VersionNode>{vars, strings}
                                        : std::vector<VersionNode>{strings, vars};
  return Serialize(root, false);
}

Bytes NarrowBlock(const VersionNode& node) { return Serialize(node, true); }

StringTable StandardTable(const std::u16string& key, const std::u16string& suffix) {
  return {key,
          {StringNode(u"CompanyName", u"Old Company" + suffix),
           StringNode(u"FileDescription", u"Old Description" + suffix),
           StringNode(u"FileVersion", u"1.2.3.4" + suffix),
           StringNode(u"InternalName", u"oldname" + suffix),
           StringNode(u"LegalCopyright", u"Copyright Old" + suffix),
           StringNode(u"ProductName", u"Old Product" + suffix),
           StringNode(u"ProductVersion", u"1.2.3.4" + suffix)}};
}

Bytes BuildPe(const PePlan& plan) {
  const uint32_t optionalSize = plan.pe32Plus ? 240 : 224;
  Bytes rsrc = ResourceSection(plan.resources);
  Align(&rsrc, 0x200);
  Bytes image(0x400, 0);
  image[0] = 'M';
  image[1] = 'Z';
  PutU32(&image, 0x3C, kNtOffset);
  PutU32(&image, kNtOffset, 0x00004550);
  const size_t coff = kNtOffset + 4, opt = kNtOffset + 24;
  PutU16(&image, coff, plan.pe32Plus ? 0x8664 : 0x014C);
  PutU16(&image, coff + 2, 2);  // sections
  PutU16(&image, coff + 16, static_cast<uint16_t>(optionalSize));
  PutU16(&image, coff + 18, plan.pe32Plus ? 0x0022 : 0x0102);
  PutU16(&image, opt, plan.pe32Plus ? 0x020B : 0x010B);
  PutU32(&image, opt + 28, plan.pe32Plus ? 1 : 0x00400000);  // image base (high half of PE32+'s)
  PutU32(&image, opt + 32, 0x1000);                          // section alignment
  PutU32(&image, opt + 36, 0x200);                           // file alignment
  PutU32(&image, opt + 56, 0x2000 + ((uint32_t(rsrc.size()) + 0xFFF) & ~0xFFFu));
  PutU32(&image, opt + 60, 0x200);  // size of headers
  PutU16(&image, opt + 68, 2);      // GUI subsystem
  const size_t directories = opt + (plan.pe32Plus ? 112 : 96);
  PutU32(&image, directories - 4, 16);  // data directory entries
  PutU32(&image, directories + 16, kRsrcRva);
  PutU32(&image, directories + 20, static_cast<uint32_t>(rsrc.size()));
  // .text at 0x200, empty; .rsrc at kRsrcOffset.
  const char* names[] = {".text", ".rsrc"};
  const uint32_t raw[] = {0x200, uint32_t(rsrc.size())}, flags[] = {0x60000020, 0x40000040};
  for (uint32_t i = 0; i < 2; ++i) {
    const size_t header = opt + optionalSize + 40 * i;
    std::copy(names[i], names[i] + 5, image.begin() + header);
    PutU32(&image, header + 8, raw[i]);
    PutU32(&image, header + 12, (i + 1) * 0x1000);
    PutU32(&image, header + 16, raw[i]);
    PutU32(&image, header + 20, 0x200 * (i + 1));
    PutU32(&image, header + 36, flags[i]);
  }
  image.insert(image.end(), rsrc.begin(), rsrc.end());
  return image;
}

Bytes PeWithVersion(const VersionPlan& plan) {
  PePlan pe;
  pe.resources = {{16, 1, u"", 0x0409, VersionResource(plan)}};
  return BuildPe(pe);
}

size_t FindText(const Bytes& bytes, const std::u16string& needle) {
  Bytes pattern;
  AppendText(&pattern, needle);
  auto it = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end() - 2);
  return it == bytes.end() ? std::u16string::npos : static_cast<size_t>(it - bytes.begin());
}

}  // namespace pefixture
