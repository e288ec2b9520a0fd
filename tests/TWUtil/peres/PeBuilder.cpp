#include "PeBuilder.h"

#include <algorithm>
#include <map>

namespace pefixture {
namespace {

void Align(Bytes* bytes, size_t alignment) {
  while (bytes->size() % alignment) bytes->push_back(0);
}

void AppendText(Bytes* bytes, const std::u16string& text) {
  for (char16_t c : text) {
    bytes->push_back(static_cast<uint8_t>(c & 0xFF));
    bytes->push_back(static_cast<uint8_t>(c >> 8));
  }
  bytes->insert(bytes->end(), 2, 0);
}

// Directory entries sort named before numbered, each group in order.
struct Key {
  std::u16string name;
  uint32_t id = 0;
  bool operator<(const Key& other) const {
    if (name.empty() != other.name.empty()) return !name.empty();
    return name.empty() ? id < other.id : name < other.name;
  }
};

// A directory of count entries at `at`, of which `named` come first.
size_t PutDirectory(Bytes* bytes, size_t at, size_t named, size_t count) {
  PutU16(bytes, at + 12, static_cast<uint16_t>(named));
  PutU16(bytes, at + 14, static_cast<uint16_t>(count - named));
  return 16 + 8 * count;
}

Bytes ResourceSection(const std::vector<Resource>& resources, uint32_t sectionRva) {
  std::map<uint32_t, std::map<Key, std::vector<const Resource*>>> types;
  for (const Resource& r : resources) types[r.type][Key{r.name, r.id}].push_back(&r);

  // Directories first, then the name strings, then the data entries, then the data.
  size_t size = 16 + 8 * types.size();
  for (const auto& type : types) {
    size += 16 + 8 * type.second.size();
    for (const auto& name : type.second) size += 16 + 8 * name.second.size();
  }
  Bytes section(size, 0);
  std::map<std::u16string, size_t> nameAt;
  for (const auto& type : types)
    for (const auto& name : type.second)
      if (!name.first.name.empty() && !nameAt.count(name.first.name)) {
        Align(&section, 2);
        nameAt[name.first.name] = section.size();
        PutU16(&section, section.size(), static_cast<uint16_t>(name.first.name.size()));
        AppendText(&section, name.first.name);
        section.resize(section.size() - 2);  // counted, not terminated
      }
  Align(&section, 4);
  size_t nextEntry = section.size();
  section.resize(section.size() + 16 * resources.size(), 0);

  size_t next = PutDirectory(&section, 0, 0, types.size()), typeEntry = 16;
  for (const auto& type : types) {
    const size_t typeDir = next;
    size_t named = 0, nameEntry = typeDir + 16;
    for (const auto& name : type.second) named += !name.first.name.empty();
    next += PutDirectory(&section, typeDir, named, type.second.size());
    PutU32(&section, typeEntry, type.first);
    PutU32(&section, typeEntry + 4, 0x80000000u | static_cast<uint32_t>(typeDir));
    typeEntry += 8;
    for (const auto& name : type.second) {
      const size_t nameDir = next;
      next += PutDirectory(&section, nameDir, 0, name.second.size());
      PutU32(&section, nameEntry,
             name.first.name.empty() ? name.first.id
                                     : 0x80000000u | uint32_t(nameAt[name.first.name]));
      PutU32(&section, nameEntry + 4, 0x80000000u | static_cast<uint32_t>(nameDir));
      nameEntry += 8;
      size_t languageEntry = nameDir + 16;
      for (const Resource* r : name.second) {
        PutU32(&section, languageEntry, r->language);
        PutU32(&section, languageEntry + 4, static_cast<uint32_t>(nextEntry));
        languageEntry += 8;
        Align(&section, 8);
        PutU32(&section, nextEntry, sectionRva + static_cast<uint32_t>(section.size()));
        PutU32(&section, nextEntry + 4, static_cast<uint32_t>(r->data.size()));
        section.insert(section.end(), r->data.begin(), r->data.end());
        nextEntry += 16;
      }
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

Bytes Serialize(const VersionNode& node) {
  Bytes block(6, 0);
  AppendText(&block, node.key);
  Align(&block, 4);
  block.insert(block.end(), node.value.begin(), node.value.end());
  block.insert(block.end(), node.roomBytes, 0);
  for (const VersionNode& child : node.children) {
    Align(&block, 4);
    Bytes bytes = Serialize(child);
    block.insert(block.end(), bytes.begin(), bytes.end());
  }
  PutU16(&block, 0, static_cast<uint16_t>(block.size()));
  PutU16(&block, 2, node.valueLength);
  PutU16(&block, 4, node.type);
  return block;
}

VersionNode StringNode(const std::u16string& key, const std::u16string& value, size_t extraUnits) {
  VersionNode node(key);
  AppendText(&node.value, value);
  node.valueLength = static_cast<uint16_t>(value.size() + 1);
  node.roomBytes = 2 * extraUnits;
  return node;
}

Bytes VersionResource(const VersionPlan& plan) {
  VersionNode root(u"VS_VERSION_INFO", 0, Bytes(52, 0));
  const uint32_t fixed[] = {plan.signature, 0x00010000, 0x00010002, 0x00030004, 0x00010002,
                            0x00030004,     0x3F,       0,          0x00040004, 1};
  for (size_t i = 0; i < 10; ++i) PutU32(&root.value, 4 * i, fixed[i]);
  VersionNode strings(u"StringFileInfo"), vars(u"VarFileInfo"), translation(u"Translation", 0);
  for (const StringTable& table : plan.tables)
    strings.children.emplace_back(table.key, 1, Bytes(), table.strings);
  for (uint32_t t : plan.translations) PutU32(&translation.value, translation.value.size(), t);
  translation.valueLength = static_cast<uint16_t>(translation.value.size());
  vars.children.push_back(translation);
  root.children = plan.varFileInfoFirst ? std::vector<VersionNode>{vars, strings}
                                        : std::vector<VersionNode>{strings, vars};
  return Serialize(root);
}

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
  const uint32_t optionalSize = plan.pe32Plus ? 240 : 224, sectionAlign = 0x1000;
  Bytes rsrc = plan.withResourceSection ? ResourceSection(plan.resources, kRsrcRva) : Bytes();
  Align(&rsrc, 0x200);
  Bytes image(0x400, 0);
  image[0] = 'M';
  image[1] = 'Z';
  PutU32(&image, 0x3C, kNtOffset);
  PutU32(&image, kNtOffset, 0x00004550);
  const size_t coff = kNtOffset + 4, opt = kNtOffset + 24;
  const uint16_t sections = plan.withResourceSection ? 2 : 1;
  PutU16(&image, coff, plan.pe32Plus ? 0x8664 : 0x014C);
  PutU16(&image, coff + 2, sections);
  PutU16(&image, coff + 16, static_cast<uint16_t>(optionalSize));
  PutU16(&image, coff + 18, (plan.pe32Plus ? 0x0022 : 0x0102) | (plan.library ? 0x2000 : 0));
  PutU16(&image, opt, plan.pe32Plus ? 0x020B : 0x010B);
  image[opt + 2] = 2;                      // linker version
  PutU32(&image, opt + 16, sectionAlign);  // entry point
  PutU32(&image, opt + 20, sectionAlign);  // base of code
  if (plan.pe32Plus) {
    PutU32(&image, opt + 24, 0x40000000);  // image base
    PutU32(&image, opt + 28, 0x00000001);
  } else {
    PutU32(&image, opt + 28, plan.library ? 0x10000000 : 0x00400000);
  }
  PutU32(&image, opt + 32, sectionAlign);
  PutU32(&image, opt + 36, 0x200);  // file alignment
  PutU16(&image, opt + 40, 4);      // OS version
  PutU16(&image, opt + 48, 4);      // subsystem version
  const uint32_t imageSize = 0x2000 + ((uint32_t(rsrc.size()) + 0xFFF) & ~0xFFFu);
  PutU32(&image, opt + 56, imageSize);
  PutU32(&image, opt + 60, 0x200);  // size of headers
  PutU16(&image, opt + 68, 2);      // GUI subsystem
  // Stack and heap, reserve and commit.
  const size_t sizes = opt + 72, width = plan.pe32Plus ? 8 : 4;
  for (size_t i = 0; i < 4; ++i) PutU32(&image, sizes + i * width, i % 2 ? 0x1000 : 0x100000);
  const size_t rvaCount = sizes + 4 * width + 4;
  PutU32(&image, rvaCount, plan.rvaCount);
  uint32_t pointed = plan.resourceRvaOverride ? plan.resourceRvaOverride
                                              : (plan.withResourceSection ? kRsrcRva : 0);
  if (plan.rvaCount > 2 && pointed) {
    PutU32(&image, rvaCount + 4 + 16, pointed);
    PutU32(&image, rvaCount + 4 + 20, static_cast<uint32_t>(rsrc.size()));
  }
  // .text at 0x200, a few "ret"s; .rsrc at kRsrcOffset.
  const char* names[] = {".text", ".rsrc"};
  const uint32_t raw[] = {0x200, uint32_t(rsrc.size())},
                 characteristics[] = {0x60000020, 0x40000040};
  for (uint32_t i = 0; i < sections; ++i) {
    const size_t header = opt + optionalSize + 40 * i;
    std::copy(names[i], names[i] + 5, image.begin() + header);
    PutU32(&image, header + 8, raw[i]);
    PutU32(&image, header + 12, (i + 1) * sectionAlign);
    PutU32(&image, header + 16, raw[i]);
    PutU32(&image, header + 20, 0x200 * (i + 1));
    PutU32(&image, header + 36, characteristics[i]);
  }
  std::fill(image.begin() + 0x200, image.begin() + 0x210, 0xC3);
  image.insert(image.end(), rsrc.begin(), rsrc.end());
  return image;
}

Bytes PeWithVersion(const VersionPlan& plan) {
  PePlan pe;
  pe.resources = {{16, 1, u"", 0x0409, VersionResource(plan)}};
  return BuildPe(pe);
}

Bytes OldImage(const char* signature) {
  Bytes image(0x100, 0);
  image[0] = 'M';
  image[1] = 'Z';
  PutU32(&image, 0x3C, *signature ? 0x80 : 0x40);
  std::copy(signature, signature + std::char_traits<char>::length(signature), image.begin() + 0x80);
  return image;
}

size_t FindText(const Bytes& bytes, const std::u16string& needle) {
  Bytes pattern;
  AppendText(&pattern, needle);
  auto it = std::search(bytes.begin(), bytes.end(), pattern.begin(), pattern.end() - 2);
  return it == bytes.end() ? std::u16string::npos : static_cast<size_t>(it - bytes.begin());
}

}  // namespace pefixture
