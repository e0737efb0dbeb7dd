#include "json.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

Json& Json::Set(const std::string& key, Json value) {
  for (size_t i = 0; i < keys_.size(); ++i) {
    if (keys_[i] == key) {
      items_[i] = std::move(value);
      return *this;
    }
  }
  keys_.push_back(key);
  items_.push_back(std::move(value));
  return *this;
}

Json& Json::Push(Json value) {
  items_.push_back(std::move(value));
  return *this;
}

const Json* Json::Find(const std::string& key) const {
  if (kind_ != Kind::Object) return nullptr;
  for (size_t i = 0; i < keys_.size(); ++i) {
    if (keys_[i] == key) return items_[i].IsNull() ? nullptr : &items_[i];
  }
  return nullptr;
}

int64_t Json::AsInt() const {
  if (kind_ == Kind::Integer || kind_ == Kind::Bool) return integer_;
  if (kind_ == Kind::Real && std::isfinite(real_)) return static_cast<int64_t>(real_);
  if (kind_ == Kind::String) {
    // Accept "0x..." and decimal texts too, which is handy for handles typed by hand.
    char* end = nullptr;
    long long v = std::strtoll(text_.c_str(), &end, 0);
    if (end && *end == '\0' && !text_.empty()) return v;
  }
  throw JsonError("expected a number");
}

const std::string& Json::AsString() const {
  if (kind_ != Kind::String) throw JsonError("expected a string");
  return text_;
}

int64_t Json::Int(const std::string& key) const {
  const Json* v = Find(key);
  if (!v) throw JsonError("missing field \"" + key + "\"");
  try {
    return v->AsInt();
  } catch (const JsonError&) {
    throw JsonError("field \"" + key + "\" must be a number");
  }
}

int64_t Json::Int(const std::string& key, int64_t fallback) const {
  return Has(key) ? Int(key) : fallback;
}

std::string Json::Str(const std::string& key) const {
  const Json* v = Find(key);
  if (!v || v->kind_ != Kind::String) throw JsonError("missing text field \"" + key + "\"");
  return v->text_;
}

std::string Json::Str(const std::string& key, const std::string& fallback) const {
  return Has(key) ? Str(key) : fallback;
}

bool Json::Bool(const std::string& key, bool fallback) const {
  const Json* v = Find(key);
  if (!v) return fallback;
  if (v->kind_ == Kind::Bool || v->kind_ == Kind::Integer) return v->integer_ != 0;
  throw JsonError("field \"" + key + "\" must be true or false");
}

static void DumpString(const std::string& s, std::string& out) {
  out += '"';
  for (unsigned char c : s) {
    switch (c) {
      case '"': out += "\\\""; break;
      case '\\': out += "\\\\"; break;
      case '\n': out += "\\n"; break;
      case '\r': out += "\\r"; break;
      case '\t': out += "\\t"; break;
      default:
        if (c < 0x20) {
          char buf[8];
          std::snprintf(buf, sizeof buf, "\\u%04x", c);
          out += buf;
        } else {
          out += static_cast<char>(c);
        }
    }
  }
  out += '"';
}

void Json::DumpTo(std::string& out) const {
  switch (kind_) {
    case Kind::Null: out += "null"; break;
    case Kind::Bool: out += integer_ ? "true" : "false"; break;
    case Kind::Integer: out += std::to_string(integer_); break;
    case Kind::Real: {
      if (!std::isfinite(real_)) {
        out += "null";
        break;
      }
      char buf[40];
      std::snprintf(buf, sizeof buf, "%.3f", real_);
      out += buf;
      break;
    }
    case Kind::String: DumpString(text_, out); break;
    case Kind::Array:
      out += '[';
      for (size_t i = 0; i < items_.size(); ++i) {
        if (i) out += ',';
        items_[i].DumpTo(out);
      }
      out += ']';
      break;
    case Kind::Object:
      out += '{';
      for (size_t i = 0; i < items_.size(); ++i) {
        if (i) out += ',';
        DumpString(keys_[i], out);
        out += ':';
        items_[i].DumpTo(out);
      }
      out += '}';
      break;
  }
}

std::string Json::Dump() const {
  std::string out;
  DumpTo(out);
  return out;
}

namespace {

class Parser {
 public:
  explicit Parser(std::string_view text) : s_(text) {}

  Json ParseDocument() {
    Json v = ParseValue(0);
    SkipSpace();
    if (pos_ != s_.size()) Fail("text after the value");
    return v;
  }

 private:
  [[noreturn]] void Fail(const char* what) {
    throw JsonError(std::string("bad JSON at byte ") + std::to_string(pos_) + ": " + what);
  }

  void SkipSpace() {
    while (pos_ < s_.size() && (s_[pos_] == ' ' || s_[pos_] == '\t' || s_[pos_] == '\r' || s_[pos_] == '\n')) ++pos_;
  }

  bool Take(char c) {
    SkipSpace();
    if (pos_ < s_.size() && s_[pos_] == c) {
      ++pos_;
      return true;
    }
    return false;
  }

  bool TakeWord(std::string_view w) {
    if (s_.substr(pos_, w.size()) == w) {
      pos_ += w.size();
      return true;
    }
    return false;
  }

  Json ParseValue(int depth) {
    if (depth > 32) Fail("nested too deeply");
    SkipSpace();
    if (pos_ >= s_.size()) Fail("value expected");
    char c = s_[pos_];
    if (c == '{') {
      ++pos_;
      Json obj = Json::Object();
      if (Take('}')) return obj;
      do {
        SkipSpace();
        if (pos_ >= s_.size() || s_[pos_] != '"') Fail("key expected");
        std::string key = ParseString();
        if (!Take(':')) Fail("':' expected");
        obj.Set(key, ParseValue(depth + 1));
      } while (Take(','));
      if (!Take('}')) Fail("'}' expected");
      return obj;
    }
    if (c == '[') {
      ++pos_;
      Json arr = Json::Array();
      if (Take(']')) return arr;
      do {
        arr.Push(ParseValue(depth + 1));
      } while (Take(','));
      if (!Take(']')) Fail("']' expected");
      return arr;
    }
    if (c == '"') return Json(ParseString());
    if (TakeWord("true")) return Json(true);
    if (TakeWord("false")) return Json(false);
    if (TakeWord("null")) return Json();
    return ParseNumber();
  }

  Json ParseNumber() {
    size_t start = pos_;
    bool integral = true;
    if (pos_ < s_.size() && s_[pos_] == '-') ++pos_;
    while (pos_ < s_.size()) {
      char c = s_[pos_];
      if (c >= '0' && c <= '9') {
        ++pos_;
      } else if (c == '.' || c == 'e' || c == 'E' || c == '+' || c == '-') {
        integral = false;
        ++pos_;
      } else {
        break;
      }
    }
    std::string token(s_.substr(start, pos_ - start));
    if (token.empty() || token == "-") Fail("number expected");
    char* end = nullptr;
    if (integral) {
      long long v = std::strtoll(token.c_str(), &end, 10);
      if (*end) Fail("bad integer");
      return Json(v);
    }
    double d = std::strtod(token.c_str(), &end);
    if (*end) Fail("bad number");
    return Json(d);
  }

  unsigned Hex4() {
    if (pos_ + 4 > s_.size()) Fail("short \\u escape");
    unsigned v = 0;
    for (int i = 0; i < 4; ++i) {
      char c = s_[pos_++];
      v <<= 4;
      if (c >= '0' && c <= '9') v |= c - '0';
      else if (c >= 'a' && c <= 'f') v |= c - 'a' + 10;
      else if (c >= 'A' && c <= 'F') v |= c - 'A' + 10;
      else Fail("bad \\u escape");
    }
    return v;
  }

  static void AppendUtf8(std::string& out, unsigned cp) {
    if (cp < 0x80) {
      out += static_cast<char>(cp);
    } else if (cp < 0x800) {
      out += static_cast<char>(0xC0 | (cp >> 6));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
      out += static_cast<char>(0xE0 | (cp >> 12));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (cp >> 18));
      out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (cp & 0x3F));
    }
  }

  std::string ParseString() {
    ++pos_;  // opening quote
    std::string out;
    while (true) {
      if (pos_ >= s_.size()) Fail("unterminated string");
      char c = s_[pos_++];
      if (c == '"') return out;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (pos_ >= s_.size()) Fail("unterminated escape");
      char e = s_[pos_++];
      switch (e) {
        case '"': out += '"'; break;
        case '\\': out += '\\'; break;
        case '/': out += '/'; break;
        case 'b': out += '\b'; break;
        case 'f': out += '\f'; break;
        case 'n': out += '\n'; break;
        case 'r': out += '\r'; break;
        case 't': out += '\t'; break;
        case 'u': {
          unsigned cp = Hex4();
          if (cp >= 0xD800 && cp < 0xDC00 && s_.substr(pos_, 2) == "\\u") {
            size_t save = pos_;
            pos_ += 2;
            unsigned low = Hex4();
            if (low >= 0xDC00 && low < 0xE000) {
              cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
            } else {
              pos_ = save;
            }
          }
          AppendUtf8(out, cp);
          break;
        }
        default: Fail("unknown escape");
      }
    }
  }

  std::string_view s_;
  size_t pos_ = 0;
};

}  // namespace

Json ParseJson(std::string_view text) { return Parser(text).ParseDocument(); }
