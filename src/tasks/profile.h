#pragma once
#include <string>
#include <vector>
#include "services/files.h"

// INI-style task files read and written as the Windows private-profile functions do.
class Profile {
 public:
  explicit Profile(Files& files);
  ~Profile();
  Profile(const Profile&) = delete;
  Profile& operator=(const Profile&) = delete;

  std::string Read(const std::string& path, const std::string& section, const std::string& key,
                   const std::string& defaultText = std::string());
  bool Write(const std::string& path, const std::string& section, const std::string& key,
             const std::string& value);
  std::vector<std::string> SectionNames(const std::string& path);
  // Whether a read of this section would find it; as cheap as a read.
  bool HasSection(const std::string& path, const std::string& section);

 private:
  struct Cache;
  Files& files_;
  Cache* cache_;
};
