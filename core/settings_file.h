// quorbel.ini: the one line "pfad=<dataset name>" that remembers which dataset is installed.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "core/platform_files.h"

namespace quorbel {

// Finds the value of the last key line in the file's bytes. Lines end at CR, and an LF right after that CR
// belongs to the line end; any other LF is an ordinary character. Bytes may arrive in pieces of any size.
class KeyLineScanner {
  public:
    // Longer values are cut here: no file or folder name is this long, so a cut value still matches nothing.
    static constexpr std::size_t kValueLimit = std::size_t{32} * 1024;

    void feed(std::string_view bytes);
    // The raw value (code-page bytes) of the last key line, empty when there is none.
    std::string finish();

  private:
    void endLine();

    std::string result_;
    std::string value_;
    char prefix_[5] = {};
    std::size_t lineLength_ = 0;
    bool afterCarriageReturn_ = false;
};

struct ReadResult {
    std::string recorded;       // the name as the file has it; empty when the file names none
    std::string activeDataset;  // the same, lower-cased
    platform::Outcome failure;  // why the file, though there, could not be read (to its end)
};

struct SaveResult {
    enum class Kind { Saved, NotRepresentable, Failed };
    Kind kind = Kind::Saved;
    platform::Failure failure;  // set when kind is Failed
};

// A save made ready before anything else is done: its temporary file is made in the game folder, so a game
// folder that takes no file at all is known before a script is started that the tool could then not record.
// The line is written only when the save is committed, after the script started: a save broken off before
// then leaves an empty file, which never passes for a record.
class PendingSave {
  public:
    PendingSave(const std::string& appFolder, std::string_view datasetName);

    // No rights to the game folder, or a write-protected medium: nothing can be recorded there.
    bool folderRefusesWriting() const;
    // Puts the line in place; a successful save also removes what broken-off saves left behind.
    SaveResult commit(const platform::WhileHeld& whileHeld = {});

  private:
    std::string appFolder_;
    std::optional<std::string> line_;  // empty when the code page cannot hold the name
    platform::Replacement replacement_;
};

namespace SettingsFile {

std::string SettingsPath(const std::string& appFolder);

// "quorbel.ini.<process id>-<n>.tmp": a save's temporary file, left behind only when the save was broken off.
bool IsLeftoverName(std::string_view name);

// The recorded dataset name; none when the file is missing, empty or names none. A file that is there but
// cannot be opened gives none and the failure; one that fails part-way gives what was read before it, and
// the failure. A missing file whose save was broken off between the two names comes back first: the newest
// of its temporary files takes its place.
ReadResult ReadActiveDataset(const std::string& appFolder, const platform::WhileHeld& whileHeld = {});

// Replaces the file with "pfad=<name>" CR LF in the code page. A name the code page cannot hold is not
// written at all, so the file never records a different name.
SaveResult WriteActiveDataset(const std::string& appFolder, std::string_view datasetName,
                              const platform::WhileHeld& whileHeld = {});

}  // namespace SettingsFile
}  // namespace quorbel
