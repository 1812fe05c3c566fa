#pragma once

#include <string>

namespace velanto {

// A new file built beside its target, in a private folder of the target's folder, so that
// the target keeps its old contents until the new file is complete. Whatever the folder
// still holds goes with the object, the folder with it.
class StagedFile {
public:
    // Makes the private folder. Throws FileError naming the target's folder and the cause.
    explicit StagedFile(std::string target);
    ~StagedFile();
    StagedFile(const StagedFile&) = delete;
    StagedFile& operator=(const StagedFile&) = delete;

    // Where the new file is to be written: a short name, whatever the target's.
    const std::string& Path() const { return m_path; }

    // Moves the finished file over the target in one step, whatever entry holds its name.
    // Throws FileError naming the target and the cause; the target is then untouched.
    void ReplaceTarget();

private:
    std::string m_target;
    std::string m_folder;
    std::string m_path;
};

}  // namespace velanto
