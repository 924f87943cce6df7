// SPDX-License-Identifier: GPL-3.0-or-later
// Safe targets for recovered files: sanitised names, directories made inside the chosen folder.
//
// Notes:
// - Every name handed to these functions comes from the scanned volume and is untrusted:
//   a damaged or crafted directory can hold "/", "..", NUL, control characters or names
//   longer than the output file system allows. sanitize_name() turns any such text into
//   one readable directory entry; nothing here ever splits a name on "/".
// - Directories below the chosen folder are created and entered one level at a time with
//   mkdirat()/openat(O_NOFOLLOW | O_DIRECTORY) from a descriptor of the chosen folder, so
//   a symbolic link planted in the folder (or swapped in while we write) is never
//   followed; an entry that is in the way gets a fresh name instead.
// - Files are created with O_CREAT | O_EXCL | O_NOFOLLOW: an existing file is never
//   overwritten and a link is never followed; a colliding name gets " (2)", " (3)" ...
// - The chosen folder itself is the user's own choice and is opened as given.
#pragma once

#include <QString>
#include <QStringList>

// Longest directory entry, in bytes of UTF-8, on the Linux file systems we write to.
inline constexpr int output_name_max = 255;

// One directory entry that is safe to create: not empty, not "." or "..", no "/", no NUL
// or control characters, valid UTF-16 (lone surrogates become U+FFFD), at most
// output_name_max bytes of UTF-8 (a short extension is kept when the stem is cut).
QString sanitize_name(const QString& name);

// The name with " (n)" before its extension, cut so that the result still fits.
QString numbered_name(const QString& name, int n);

// Creates `folder` (and its parents) when missing and opens it as a directory.
// 0 and *fd set (the caller closes it), or -1 with a readable reason in *error.
int open_output_root(const QString& folder, int* fd, QString* error);

// A file prepared for writing below an output folder.
struct output_target_s {
    int dir_fd = -1;        // the file's directory, entered without following links
    int file_fd = -1;       // the new, empty file
    QString relative_path;  // path below the output folder, as created ("DIR/name (2).txt")
    QString file_name;      // the entry created in dir_fd
    // A path that reaches exactly this file through dir_fd, for code that wants a path
    // ("/proc/self/fd/<dir_fd>/<file_name>"): the folder chain is not looked up again.
    QString open_path;
};

// Creates the directories `dirs` (each one sanitised, one entry per element) below the
// folder open as root_fd and a new empty file `name` (sanitised) in the last one.
// 0 with *target filled (release it with close_output_target), or -1 with *error.
int prepare_output_file(int root_fd, const QStringList& dirs, const QString& name,
                        output_target_s* target, QString* error);

// Closes the descriptors of a prepared target and clears them.
void close_output_target(output_target_s* target);

// Does `folder` lie on the scanned volume? The volume is given by its device node (a block
// device: compared with the folder's st_dev) and its mount points (a folder on the same
// file system as one of them). A folder that does not exist yet is judged by its nearest
// existing parent. 1 on the volume, 0 not, -1 when the folder cannot be examined.
int folder_on_volume(const QString& folder, const QString& device_path,
                     const QStringList& mount_points);
