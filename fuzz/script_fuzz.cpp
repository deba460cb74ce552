// An update body of any content, stored, run as the update script and deleted, in a real program
// folder inside a sandbox: whatever it says, nothing outside the program folder changes, no
// folder inside it changes, the program's own file stays, and patch.dsc is gone afterwards.
//
// sandbox/
//   victim.pat, secret          beside the program folder
//   other/y.pat                 in a sibling folder
//   app/                        the program folder
//     korrin-patcher            the program's own file
//     Foo.pat, old.pat, notes.txt
//     sub/x.pat                 a folder inside it

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <string_view>

#include "check.h"
#include "temp_folder.h"
#include "update/update.h"

using namespace korrin;
namespace fs = std::filesystem;

namespace {

constexpr std::string_view kProgram = "korrin-patcher";

void Write(const fs::path& path, std::string_view bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// Everything under root that a script must not change, by path: the bytes of each file and
// "<folder>" or "<link>" for the rest. The plain files directly in app/ are the script's to
// change and are left out, all but the program's own.
std::map<std::string, std::string> Untouchable(const fs::path& root) {
    std::map<std::string, std::string> seen;
    for (const auto& entry : fs::recursive_directory_iterator(root)) {
        const fs::path relative = fs::relative(entry.path(), root);
        const bool inApp = relative.parent_path() == "app";
        if (entry.is_symlink()) {
            seen[relative.string()] = "<link>";
        } else if (entry.is_directory()) {
            seen[relative.string()] = "<folder>";
        } else if (!inApp || relative.filename() == kProgram) {
            seen[relative.string()] = ReadAll(entry.path());
        }
    }
    return seen;
}

class Sandbox {
  public:
    Sandbox() {
        const fs::path& root = root_.path();
        fs::create_directories(root / "app" / "sub");
        fs::create_directories(root / "other");
        Write(root / "victim.pat", "patch:Outside\r\n");
        Write(root / "secret", "not for scripts");
        Write(root / "other" / "y.pat", "patch:Sibling\r\n");
        Write(root / "app" / "sub" / "x.pat", "patch:Below\r\n");
        Write(root / "app" / std::string(kProgram),
              "\x7F"
              "ELF program");
        untouchable_ = Untouchable(root);
    }

    // The program folder as at the start: its own files back, anything a script made gone.
    void Reset() const {
        const fs::path app = root_.path() / "app";
        for (const auto& entry : fs::directory_iterator(app)) {
            if (entry.is_regular_file() && entry.path().filename() != kProgram) {
                fs::remove(entry.path());
            }
        }
        Write(app / "Foo.pat", "patch:Foo\r\n");
        Write(app / "old.pat", "patch:Old\r\n");
        Write(app / "notes.txt", "notes");
    }

    std::string folder() const { return (root_.path() / "app").string() + "/"; }
    bool Untouched() const { return Untouchable(root_.path()) == untouchable_; }
    bool DescriptionGone() const { return !fs::exists(root_.path() / "app" / "patch.dsc"); }

  private:
    korrin::testing::TempFolder root_;
    std::map<std::string, std::string> untouchable_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const Sandbox sandbox;
    const std::string_view body(reinterpret_cast<const char*>(data), size);
    sandbox.Reset();
    const update::UpdateOutcome outcome =
        update::RunUpdate(platform::FileSystem::Default(), sandbox.folder(), body, kProgram);
    KORRIN_FUZZ_CHECK(outcome.completed, body);
    KORRIN_FUZZ_CHECK(sandbox.Untouched(), body);
    KORRIN_FUZZ_CHECK(sandbox.DescriptionGone(), body);
    return 0;
}
