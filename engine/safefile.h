// Writing a file so that it is never left half-written: the text goes to a
// temporary file in the same folder, which replaces the old file by rename
// only once everything reached the disk. Reading only what is a file.
#ifndef VELUNDA_ENGINE_SAFEFILE_H
#define VELUNDA_ENGINE_SAFEFILE_H

#include <cstdio>

// Calls write(file, context) on a temporary file beside path, then renames it
// over path. When path is a symbolic link (or a chain of them) the file it
// points to is written the same way, beside that file, and the links stay.
// The new file gets the mode of the regular file it replaces, or 0666 less
// the umask. Returns false, and leaves whatever stood at path as it was, when
// the folder cannot take a file, write returns false, or any write, flush or
// sync fails (disk full, file size limit, I/O error); also for a link loop
// and a link to a folder, device or FIFO.
bool writeFileSafely(const char* path, bool (*write)(FILE* file, void* context), void* context);

// Opens path for reading only when it is a regular file; null otherwise. A
// FIFO is never waited on (opening one for reading blocks until a writer
// comes), and a folder, device or socket is refused like a missing file.
FILE* openRegularFile(const char* path);

#endif
