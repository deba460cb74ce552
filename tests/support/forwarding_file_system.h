#pragma once

// The real file system behind a seam: a test double derives from this and overrides only the
// operation it makes fail.

#include <memory>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace korrin::testing {

class ForwardingFileSystem : public platform::FileSystem {
  public:
    std::vector<std::string> ListFiles(const std::string& f, Status* s) override {
        return real().ListFiles(f, s);
    }
    Status ReadFile(const std::string& p, std::string* out) override {
        return real().ReadFile(p, out);
    }
    Status NewWritableFile(const std::string& p,
                           std::unique_ptr<platform::WritableFile>* f) override {
        return real().NewWritableFile(p, f);
    }
    Status RemoveFile(const std::string& p) override { return real().RemoveFile(p); }
    Status RenameFile(const std::string& a, const std::string& b) override {
        return real().RenameFile(a, b);
    }
    bool IsRegularFile(const std::string& p) override { return real().IsRegularFile(p); }
    Status OpenForAppend(const std::string& p,
                         std::unique_ptr<platform::WritableFile>* f) override {
        return real().OpenForAppend(p, f);
    }
    Status CreateFolders(const std::string& p) override { return real().CreateFolders(p); }
    Status ReadAt(const std::string& p, std::uint64_t at, std::size_t n,
                  std::string* out) override {
        return real().ReadAt(p, at, n, out);
    }

  protected:
    static platform::FileSystem& real() { return platform::FileSystem::Default(); }
};

}  // namespace korrin::testing
