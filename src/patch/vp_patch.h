#pragma once

// The target file patch engine: the whole of vplaces.exe in memory, patched signature by
// signature and written back at the same length. Status values are 1 for done and 0 for not
// done. The engine shows nothing itself: after a failed load or save, message() holds what the
// user is to be told.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "patch/bytes.h"
#include "patch/safe_save.h"
#include "platform/file_system.h"
#include "platform/page_buffer.h"

namespace korrin::patch {

inline constexpr std::string_view kInvalidPathMessage =
    "VPLACES.EXE path is invalid and the exe could not be loaded. Please reenter the path and "
    "try again";
inline constexpr std::string_view kTargetOpenMessage =
    "You currently have VPLACES.EXE open. Please close it and try patching again";

// One signature and the bytes to write right after its first occurrence.
struct Edit {
    Bytes signature;
    Bytes newBytes;
};

class vpPatch {
  public:
    explicit vpPatch(platform::FileSystem& fs) : fs_(fs) {}

    // Reads the whole file at path (used unchanged) into exeData. On 0, message() holds
    // kInvalidPathMessage when a folder of the path (or the file) does not exist, and the
    // reason otherwise.
    int LoadExe(const std::string& path);

    // Overwrites the bytes right after the first occurrence of signature with newBytes, those
    // that would fall past the end dropped; the signature's own bytes stay. 0, with exeData
    // unchanged, when the signature does not occur, is empty (it would "occur" at the first
    // byte) or ends at the last byte while there are bytes to write.
    int PatchBytes(std::string_view signature, std::string_view newBytes);

    // The statuses of PatchBytes called for each edit in turn, each search seeing what the
    // earlier edits wrote; with stopAtMiss the first 0 ends the list. Unlike those calls it
    // reads exeData once, not once per edit, which is what makes ten signatures in a file of
    // hundreds of megabytes cost little more than one.
    std::vector<int> PatchBytesInTurn(std::span<const Edit> edits, bool stopAtMiss);
    // The same for a caller that knows already where each edit's signature first occurs in
    // exeData as it stands (firsts[i], kNotFound for none), which spares reading it again.
    std::vector<int> PatchBytesInTurn(std::span<const Edit> edits, bool stopAtMiss,
                                      std::span<const std::size_t> firsts);

    // Writes exeData over the file at path (see SaveFileSafely): on 0 the file is as it was,
    // unless message() says otherwise. message() holds kTargetOpenMessage when the file may
    // not be written now (it runs, another process locks it, it is read-only), the reason
    // otherwise.
    int SaveExe(const std::string& path);

    // Puts back every byte that PatchBytes and PatchBytesInTurn wrote since the load or the
    // last save, latest first: exeData is then as the file it came from, so that a patch can be
    // tried without a save and the next one tried on the same data.
    void RevertChanges();

    std::string_view exeData() const { return exeData_.view(); }
    // What PatchBytes and PatchBytesInTurn wrote since the load or the last save.
    std::span<const Change> changes() const { return changes_; }
    // Frees exeData; the engine is then as after construction.
    void ClearExeData();

    // What to tell the user about the last LoadExe or SaveExe that returned 0; empty after one
    // that returned 1.
    const std::string& message() const { return message_; }

  private:
    // Where the first occurrence of signature now starts, given original, where it started
    // before the changes from index firstChange on were written.
    std::size_t LocateAfterChanges(std::string_view signature, std::size_t original,
                                   std::size_t firstChange) const;
    int WriteAfter(std::size_t found, std::size_t signatureSize, std::string_view newBytes);

    platform::FileSystem& fs_;
    platform::PageBuffer exeData_;
    platform::FileInfo loaded_;    // the version of the file that exeData was read from
    std::vector<Change> changes_;  // what differs from it
    std::string message_;
};

}  // namespace korrin::patch
