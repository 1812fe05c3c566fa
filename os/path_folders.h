#pragma once

#include <string>

namespace velanto {

// The folder that holds the entry at `path`: all before its last folder separator, or "." for
// a bare name.
std::string FolderOf(const std::string& path);

// Creates `folder` and each missing folder above it: every prefix that ends before a folder
// separator, then the whole path. Failures (a folder there already, one not allowed) are for
// the caller to find out.
void CreateFolderChain(const std::string& folder);

}  // namespace velanto
