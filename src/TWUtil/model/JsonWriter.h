// A small writer of pretty-printed JSON (two-space indentation, empty
// containers as [] and {}), taking UTF-16 text and producing UTF-8.
#pragma once

#include <string>
#include <vector>

namespace twutil::model {

class JsonWriter {
 public:
  void BeginObject();
  void EndObject();
  void BeginArray();
  void EndArray();
  // The name of the next member of the current object (ASCII).
  void Key(const char* name);
  void String(const wchar_t* text, size_t length);
  void String(const std::wstring& text) { String(text.data(), text.size()); }
  void Number(long long value);
  void Unsigned(unsigned long long value);
  void Bool(bool value);
  void Null();
  // The document so far; the writer is empty afterwards.
  std::string Take();

 private:
  void BeforeValue();
  void Open(char bracket);
  void Close(char bracket);

  std::string out_;
  std::vector<size_t> counts_;  // members written, per open container
  bool afterKey_ = false;
};

// text as the body of a JSON string: UTF-8, with quotes, backslashes and
// control characters escaped; an unpaired surrogate becomes a \u escape.
std::string JsonEscape(const wchar_t* text, size_t length);

}  // namespace twutil::model
