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
  bytes->push_back(0);
  bytes->push_back(0);
}

Bytes FixedFileInfo(const VersionPlan& plan) {
  Bytes info(52, 0);
  PutU32(&info, 0, plan.signature);
  PutU32(&info, 4, 0x00010000);  // structure version
  PutU32(&info, 8, plan.fileVersionMS);
  PutU32(&info, 12, plan.fileVersionLS);
  PutU32(&info, 16, plan.fileVersionMS);
  PutU32(&info, 20, plan.fileVersionLS);
  PutU32(&info, 24, 0x3F);        // flags mask
  PutU32(&info, 32, 0x00040004);  // NT, Windows 32
  PutU32(&info, 36, 1);           // application
  return info;
}

// Resources grouped as the directory stores them: type, then name, then
// language, numbered entries after named ones and each group sorted.
struct Key {
  std::u16string name;
  uint32_t id = 0;
  bool operator<(const Key& other) const {
    if (name.empty() != other.name.empty()) return !name.empty();
    if (!name.empty()) return name < other.name;
    return id < other.id;
  }
};
Key KeyOf(uint32_t id, const std::u16string& name) { return Key{name, id}; }

using LanguageMap = std::map<uint16_t, const Resource*>;
using NameMap = std::map<Key, LanguageMap>;
using TypeMap = std::map<Key, NameMap>;

size_t DirectorySize(size_t entries) { return 16 + 8 * entries; }

void PutDirectoryHeader(Bytes* bytes, size_t at, size_t named, size_t numbered) {
  PutU16(bytes, at + 12, static_cast<uint16_t>(named));
  PutU16(bytes, at + 14, static_cast<uint16_t>(numbered));
}

template <class Map>
size_t NamedCount(const Map& map) {
  size_t n = 0;
  for (const auto& item : map) n += item.first.name.empty() ? 0 : 1;
  return n;
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
  VersionNode node;
  node.key = key;
  node.type = 1;
  node.valueLength = static_cast<uint16_t>(value.size() + 1);
  Bytes text;
  AppendText(&text, value);
  node.value = text;
  node.roomBytes = 2 * extraUnits;
  return node;
}

VersionNode VersionTree(const VersionPlan& plan) {
  VersionNode root;
  root.key = u"VS_VERSION_INFO";
  root.type = 0;
  root.value = FixedFileInfo(plan);
  root.valueLength = 52;

  VersionNode strings;
  strings.key = u"StringFileInfo";
  for (const StringTable& table : plan.tables) {
    VersionNode node;
    node.key = table.key;
    node.children = table.strings;
    strings.children.push_back(node);
  }

  VersionNode vars;
  vars.key = u"VarFileInfo";
  VersionNode translation;
  translation.key = u"Translation";
  translation.type = 0;
  for (uint32_t t : plan.translations) PutU32(&translation.value, translation.value.size(), t);
  translation.valueLength = static_cast<uint16_t>(translation.value.size());
  vars.children.push_back(translation);

  if (plan.varFileInfoFirst) {
    root.children = {vars, strings};
  } else {
    root.children = {strings, vars};
  }
  return root;
}

Bytes VersionResource(const VersionPlan& plan) { return Serialize(VersionTree(plan)); }

StringTable StandardTable(const std::u16string& key, const std::u16string& suffix) {
  StringTable table;
  table.key = key;
  table.strings = {
      StringNode(u"CompanyName", u"Old Company" + suffix),
      StringNode(u"FileDescription", u"Old Description" + suffix),
      StringNode(u"FileVersion", u"1.2.3.4" + suffix),
      StringNode(u"InternalName", u"oldname" + suffix),
      StringNode(u"LegalCopyright", u"Copyright Old" + suffix),
      StringNode(u"ProductName", u"Old Product" + suffix),
      StringNode(u"ProductVersion", u"1.2.3.4" + suffix),
  };
  return table;
}

Bytes ResourceSection(const std::vector<Resource>& resources, uint32_t sectionRva) {
  TypeMap types;
  for (const Resource& r : resources)
    types[KeyOf(r.type, u"")][KeyOf(r.id, r.name)][r.language] = &r;

  // Directories first, then the name strings, then the data entries, then
  // the data.
  size_t size = DirectorySize(types.size());
  for (const auto& type : types) {
    size += DirectorySize(type.second.size());
    for (const auto& name : type.second) size += DirectorySize(name.second.size());
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
  const size_t dataEntries = section.size();
  section.resize(section.size() + 16 * resources.size(), 0);

  PutDirectoryHeader(&section, 0, 0, types.size());
  size_t nextDirectory = DirectorySize(types.size());
  size_t nextEntry = dataEntries;
  size_t typeIndex = 0;
  for (const auto& type : types) {
    const size_t typeDir = nextDirectory;
    nextDirectory += DirectorySize(type.second.size());
    PutU32(&section, 16 + 8 * typeIndex, type.first.id);
    PutU32(&section, 16 + 8 * typeIndex + 4, 0x80000000u | static_cast<uint32_t>(typeDir));
    ++typeIndex;
    PutDirectoryHeader(&section, typeDir, NamedCount(type.second),
                       type.second.size() - NamedCount(type.second));
    size_t nameIndex = 0;
    for (const auto& name : type.second) {
      const size_t nameDir = nextDirectory;
      nextDirectory += DirectorySize(name.second.size());
      const size_t entry = typeDir + 16 + 8 * nameIndex++;
      PutU32(&section, entry,
             name.first.name.empty()
                 ? name.first.id
                 : 0x80000000u | static_cast<uint32_t>(nameAt[name.first.name]));
      PutU32(&section, entry + 4, 0x80000000u | static_cast<uint32_t>(nameDir));
      PutDirectoryHeader(&section, nameDir, 0, name.second.size());
      size_t languageIndex = 0;
      for (const auto& language : name.second) {
        const size_t languageEntry = nameDir + 16 + 8 * languageIndex++;
        PutU32(&section, languageEntry, language.first);
        PutU32(&section, languageEntry + 4, static_cast<uint32_t>(nextEntry));
        Align(&section, 8);
        PutU32(&section, nextEntry, sectionRva + static_cast<uint32_t>(section.size()));
        PutU32(&section, nextEntry + 4, static_cast<uint32_t>(language.second->data.size()));
        section.insert(section.end(), language.second->data.begin(), language.second->data.end());
        nextEntry += 16;
      }
    }
  }
  return section;
}

Bytes BuildPe(const PePlan& plan) {
  const uint32_t optionalSize = plan.pe32Plus ? 240 : 224;
  const uint32_t sectionTable = kNtOffset + 24 + optionalSize;

  struct Section {
    const char* name;
    Bytes raw;
    uint32_t rva;
    uint32_t fileOffset;
    uint32_t characteristics;
  };
  std::vector<Section> sections;
  uint32_t rva = kSectionAlignment;
  uint32_t fileOffset = kFileAlignment;
  auto add = [&](const char* name, Bytes raw, uint32_t characteristics) {
    Align(&raw, kFileAlignment);
    sections.push_back({name, raw, rva, fileOffset, characteristics});
    rva += (static_cast<uint32_t>(raw.size()) + kSectionAlignment - 1) & ~(kSectionAlignment - 1);
    if (raw.empty()) rva += kSectionAlignment;
    fileOffset += static_cast<uint32_t>(raw.size());
  };
  add(".text", Bytes(16, 0xC3), 0x60000020);
  if (plan.padBytes) add(".pad", Bytes(plan.padBytes, 0), 0x40000040);
  uint32_t resourceRva = 0;
  if (plan.withResourceSection) {
    resourceRva = rva;
    add(".rsrc", ResourceSection(plan.resources, rva), 0x40000040);
  }

  Bytes image(fileOffset, 0);
  image[0] = 'M';
  image[1] = 'Z';
  PutU32(&image, 0x3C, kNtOffset);
  PutU32(&image, kNtOffset, 0x00004550);
  const size_t coff = kNtOffset + 4;
  PutU16(&image, coff, plan.pe32Plus ? 0x8664 : 0x014C);
  PutU16(&image, coff + 2, static_cast<uint16_t>(sections.size()));
  PutU16(&image, coff + 16, static_cast<uint16_t>(optionalSize));
  uint16_t characteristics = plan.pe32Plus ? 0x0022 : 0x0102;
  if (plan.library) characteristics |= 0x2000;
  PutU16(&image, coff + 18, characteristics);

  const size_t opt = kNtOffset + 24;
  PutU16(&image, opt, plan.pe32Plus ? 0x020B : 0x010B);
  image[opt + 2] = 2;                         // linker version
  PutU32(&image, opt + 16, sections[0].rva);  // entry point
  PutU32(&image, opt + 20, sections[0].rva);  // base of code
  if (plan.pe32Plus) {
    PutU32(&image, opt + 24, 0x40000000);  // image base, low half
    PutU32(&image, opt + 28, 0x00000001);
  } else {
    PutU32(&image, opt + 28, plan.library ? 0x10000000 : 0x00400000);
  }
  PutU32(&image, opt + 32, kSectionAlignment);
  PutU32(&image, opt + 36, kFileAlignment);
  PutU16(&image, opt + 40, 4);               // OS version
  PutU16(&image, opt + 48, 4);               // subsystem version
  PutU32(&image, opt + 56, rva);             // size of image
  PutU32(&image, opt + 60, kFileAlignment);  // size of headers
  PutU16(&image, opt + 68, 2);               // GUI subsystem
  const size_t sizes = opt + 72;             // stack and heap reserve/commit
  const size_t sizeWidth = plan.pe32Plus ? 8 : 4;
  PutU32(&image, sizes, 0x100000);
  PutU32(&image, sizes + sizeWidth, 0x1000);
  PutU32(&image, sizes + 2 * sizeWidth, 0x100000);
  PutU32(&image, sizes + 3 * sizeWidth, 0x1000);
  const size_t rvaCount = sizes + 4 * sizeWidth + 4;
  PutU32(&image, rvaCount, plan.rvaCount);
  const size_t directory = rvaCount + 4;
  uint32_t pointed = plan.resourceRvaOverride ? plan.resourceRvaOverride : resourceRva;
  if (plan.rvaCount > 2 && (pointed || plan.withResourceSection)) {
    PutU32(&image, directory + 16, pointed);
    if (plan.withResourceSection)
      PutU32(&image, directory + 20, static_cast<uint32_t>(sections.back().raw.size()));
  }

  for (size_t i = 0; i < sections.size(); ++i) {
    const size_t header = sectionTable + 40 * i;
    for (size_t c = 0; sections[i].name[c] && c < 8; ++c) image[header + c] = sections[i].name[c];
    PutU32(&image, header + 8, static_cast<uint32_t>(sections[i].raw.size()));
    PutU32(&image, header + 12, sections[i].rva);
    PutU32(&image, header + 16, static_cast<uint32_t>(sections[i].raw.size()));
    PutU32(&image, header + 20, sections[i].fileOffset);
    PutU32(&image, header + 36, sections[i].characteristics);
    std::copy(sections[i].raw.begin(), sections[i].raw.end(),
              image.begin() + sections[i].fileOffset);
  }
  return image;
}

size_t ResourceSectionOffset(const Bytes& image) {
  const uint16_t count = GetU16(image, kNtOffset + 6);
  const uint16_t optionalSize = GetU16(image, kNtOffset + 20);
  for (uint16_t i = 0; i < count; ++i) {
    const size_t header = kNtOffset + 24 + optionalSize + 40u * i;
    if (image[header] == '.' && image[header + 1] == 'r' && image[header + 2] == 's')
      return GetU32(image, header + 20);
  }
  return 0;
}

Bytes PeWithVersion(const VersionPlan& plan) {
  PePlan pe;
  Resource version;
  version.type = 16;
  version.id = 1;
  version.data = VersionResource(plan);
  pe.resources.push_back(version);
  return BuildPe(pe);
}

Bytes DosOnlyImage() {
  Bytes image(0x100, 0);
  image[0] = 'M';
  image[1] = 'Z';
  PutU32(&image, 0x3C, 0x40);
  return image;
}

static Bytes WithNewHeader(char first, char second) {
  Bytes image = DosOnlyImage();
  PutU32(&image, 0x3C, 0x80);
  image[0x80] = static_cast<uint8_t>(first);
  image[0x81] = static_cast<uint8_t>(second);
  return image;
}

Bytes NEImage() { return WithNewHeader('N', 'E'); }
Bytes LEImage() { return WithNewHeader('L', 'E'); }

size_t FindText(const Bytes& bytes, const std::u16string& needle, size_t from) {
  Bytes pattern;
  AppendText(&pattern, needle);
  pattern.resize(pattern.size() - 2);
  auto it = std::search(bytes.begin() + static_cast<std::ptrdiff_t>(from), bytes.end(),
                        pattern.begin(), pattern.end());
  return it == bytes.end() ? std::u16string::npos : static_cast<size_t>(it - bytes.begin());
}

}  // namespace pefixture
