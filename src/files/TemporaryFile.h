#pragma once

#include "qv4130/FileDescriptor.h"

#include <functional>
#include <string>
#include <system_error>

namespace qv4130::files {

// A temporary file of this process's own beside `target`, under a hidden name
// (`.NAME.tmp-PID-...`): `create` makes it exclusively, so that nothing already
// there (a file, a planted link) is ever opened, and names are tried until one
// is free. `name` is the one made; a closed descriptor when none could be.
FileDescriptor MakeTemporary(const std::string& target, int processId, std::string& name,
                             const std::function<FileDescriptor(const std::string&)>& create);

// What each platform does for WholeFile: puts a temporary file's bytes on the
// disk, moves it over the target once whole (the folder's entry on the disk
// too, where the platform can), and removes a temporary file it made.
std::error_code FlushToDisk(const FileDescriptor& fd);
std::error_code Replace(const std::string& temporary, const std::string& target);
void RemoveOwn(const std::string& name);

} // namespace qv4130::files
