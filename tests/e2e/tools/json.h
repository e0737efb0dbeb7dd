#pragma once
// A small JSON value for the driver's line protocol: one object per request line,
// one object per answer line. Strings are UTF-8.
#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class Json {
 public:
  enum class Kind { Null, Bool, Integer, Real, String, Array, Object };

  Json() = default;
  Json(std::nullptr_t) {}
  Json(bool b) : kind_(Kind::Bool), integer_(b) {}
  Json(int v) : kind_(Kind::Integer), integer_(v) {}
  Json(unsigned v) : kind_(Kind::Integer), integer_(v) {}
  Json(long v) : kind_(Kind::Integer), integer_(v) {}
  Json(unsigned long v) : kind_(Kind::Integer), integer_(static_cast<int64_t>(v)) {}
  Json(long long v) : kind_(Kind::Integer), integer_(v) {}
  Json(unsigned long long v) : kind_(Kind::Integer), integer_(static_cast<int64_t>(v)) {}
  Json(double v) : kind_(Kind::Real), real_(v) {}
  Json(std::string s) : kind_(Kind::String), text_(std::move(s)) {}
  Json(const char* s) : kind_(Kind::String), text_(s) {}

  static Json Array() { Json j; j.kind_ = Kind::Array; return j; }
  static Json Object() { Json j; j.kind_ = Kind::Object; return j; }

  Kind kind() const { return kind_; }
  bool IsNull() const { return kind_ == Kind::Null; }

  // Building. Object keys keep their insertion order in the output.
  Json& Set(const std::string& key, Json value);
  Json& Push(Json value);

  // Reading a request's fields.
  const Json* Find(const std::string& key) const;
  bool Has(const std::string& key) const { return Find(key) != nullptr; }
  int64_t Int(const std::string& key) const;                 // throws when missing
  int64_t Int(const std::string& key, int64_t fallback) const;
  std::string Str(const std::string& key) const;             // throws when missing
  std::string Str(const std::string& key, const std::string& fallback) const;
  bool Bool(const std::string& key, bool fallback) const;
  int64_t AsInt() const;
  const std::string& AsString() const;
  const std::vector<Json>& Items() const { return items_; }

  std::string Dump() const;

 private:
  void DumpTo(std::string& out) const;

  Kind kind_ = Kind::Null;
  int64_t integer_ = 0;
  double real_ = 0;
  std::string text_;
  std::vector<Json> items_;                     // array elements or object values
  std::vector<std::string> keys_;               // object keys, parallel to items_
};

struct JsonError : std::runtime_error {
  using std::runtime_error::runtime_error;
};

Json ParseJson(std::string_view text);
