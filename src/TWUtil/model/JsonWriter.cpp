#include "model/JsonWriter.h"

#include <cstdio>

namespace twutil::model {
namespace {

void AppendUtf8(std::string& out, unsigned long code) {
  if (code < 0x80) {
    out += static_cast<char>(code);
  } else if (code < 0x800) {
    out += static_cast<char>(0xC0 | (code >> 6));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else if (code < 0x10000) {
    out += static_cast<char>(0xE0 | (code >> 12));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (code >> 18));
    out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (code & 0x3F));
  }
}

void AppendUnicodeEscape(std::string& out, unsigned code) {
  char escape[8];
  std::snprintf(escape, sizeof(escape), "\\u%04x", code & 0xFFFFu);
  out += escape;
}

bool IsHighSurrogate(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLowSurrogate(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }

}  // namespace

std::string JsonEscape(const wchar_t* text, size_t length) {
  std::string out;
  if (!text) return out;
  out.reserve(length);
  for (size_t i = 0; i < length; ++i) {
    wchar_t c = text[i];
    switch (c) {
      case L'"':
        out += "\\\"";
        continue;
      case L'\\':
        out += "\\\\";
        continue;
      case L'\b':
        out += "\\b";
        continue;
      case L'\f':
        out += "\\f";
        continue;
      case L'\n':
        out += "\\n";
        continue;
      case L'\r':
        out += "\\r";
        continue;
      case L'\t':
        out += "\\t";
        continue;
      default:
        break;
    }
    if (c < 0x20) {
      AppendUnicodeEscape(out, c);
    } else if (IsHighSurrogate(c) && i + 1 < length && IsLowSurrogate(text[i + 1])) {
      unsigned long code = 0x10000 + ((static_cast<unsigned long>(c) - 0xD800) << 10) +
                           (static_cast<unsigned long>(text[i + 1]) - 0xDC00);
      AppendUtf8(out, code);
      ++i;
    } else if (IsHighSurrogate(c) || IsLowSurrogate(c)) {
      AppendUnicodeEscape(out, c);  // no UTF-8 form exists for half a pair
    } else {
      AppendUtf8(out, c);
    }
  }
  return out;
}

void JsonWriter::BeforeValue() {
  if (afterKey_) {
    afterKey_ = false;
    return;
  }
  if (counts_.empty()) return;
  out_ += counts_.back()++ ? ",\n" : "\n";
  out_.append(counts_.size() * 2, ' ');
}

void JsonWriter::Open(char bracket) {
  BeforeValue();
  out_ += bracket;
  counts_.push_back(0);
}

void JsonWriter::Close(char bracket) {
  if (counts_.empty()) return;
  bool hadMembers = counts_.back() != 0;
  counts_.pop_back();
  if (hadMembers) {
    out_ += '\n';
    out_.append(counts_.size() * 2, ' ');
  }
  out_ += bracket;
}

void JsonWriter::BeginObject() { Open('{'); }
void JsonWriter::EndObject() { Close('}'); }
void JsonWriter::BeginArray() { Open('['); }
void JsonWriter::EndArray() { Close(']'); }

void JsonWriter::Key(const char* name) {
  BeforeValue();
  out_ += '"';
  out_ += name;
  out_ += "\": ";
  afterKey_ = true;
}

void JsonWriter::String(const wchar_t* text, size_t length) {
  BeforeValue();
  out_ += '"';
  out_ += JsonEscape(text, length);
  out_ += '"';
}

void JsonWriter::Number(long long value) {
  BeforeValue();
  out_ += std::to_string(value);
}

void JsonWriter::Unsigned(unsigned long long value) {
  BeforeValue();
  out_ += std::to_string(value);
}

void JsonWriter::Bool(bool value) {
  BeforeValue();
  out_ += value ? "true" : "false";
}

void JsonWriter::Null() {
  BeforeValue();
  out_ += "null";
}

std::string JsonWriter::Take() {
  std::string result;
  result.swap(out_);
  counts_.clear();
  afterKey_ = false;
  return result;
}

}  // namespace twutil::model
