// SPDX-License-Identifier: GPL-3.0-or-later
// The settings kept between runs ("Pellucan.ini" in the working directory) and the
// shared size formatting of the user interface.
#pragma once

#include <QString>

// Reads "Pellucan.ini" from the working directory, falls back on the per-user language
// choice and then on "English", and loads the language tables (English first, then the
// chosen language over it). Runs before the QApplication exists. Returns 0.
int load_settings();

// Writes recovery_folder and language back to "Pellucan.ini" and syncs the file.
void save_settings();

// The per-user language choice: key `language` (a number 1 to 10) of the native settings
// file of the organisation "Pellucan_Init" ("Pellucan_Init.conf" in the user's config
// folder). Read only; never written. Empty when absent or out of range.
QString registry_language();

// Maps the number stored as the per-user language choice to its language name; empty
// for anything but 1 to 10.
QString language_for_number(quint32 value);

// The settings as read at start-up (recovery_folder is carried back unchanged).
const QString& recovery_folder();
const QString& current_language();
// Changes the language that save_settings() writes (the language action uses it).
void set_current_language(const QString& name);

// Short size text: "%.2fG", "%.2fM", "%.2fK" above 1 GiB, 1 MiB, 1 KiB, else "%dB".
// The thresholds are strict: 1024 stays "1024B".
QString format_size(quint64 bytes);
