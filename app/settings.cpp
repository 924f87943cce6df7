// SPDX-License-Identifier: GPL-3.0-or-later
// The settings store: "Pellucan.ini" (INI) plus the read-only per-user language choice.
#include "app/settings.h"

#include "app/language.h"

#include <QSettings>

#include <memory>

namespace {

// Created by load_settings and kept until the process ends.
std::unique_ptr<QSettings> settings_store;
QString recovery_folder_value;
QString language_value;

const char* const settings_file_name = "Pellucan.ini";

}  // namespace

QString language_for_number(quint32 value)
{
    switch (value) {
    case 1: return QStringLiteral("English");
    case 2: return QStringLiteral("Deutsch");
    case 3: return QStringLiteral("Español");
    case 4: return QStringLiteral("Français");
    case 5: return QStringLiteral("Italiano");
    case 6: return QStringLiteral("日本語");
    case 7: return QStringLiteral("简体中文");
    case 8: return QStringLiteral("繁體中文");
    case 9: return QStringLiteral("Nederlands");
    case 10: return QStringLiteral("Português");
    default: return QString();
    }
}

QString registry_language()
{
    // NOTE: QSettings only reads here; it writes nothing back as long as no value is set,
    // so the file is never created or changed by this lookup.
    const QSettings user_choice(QSettings::NativeFormat, QSettings::UserScope, QStringLiteral("Pellucan_Init"));
    // The stored value is untrusted text: anything that is not a plain number in 32 bits
    // reads as 0, which maps to no language.
    bool ok = false;
    const quint32 number = user_choice.value(QStringLiteral("language")).toString().trimmed().toUInt(&ok);
    return language_for_number(ok ? number : 0);
}

int load_settings()
{
    settings_store = std::make_unique<QSettings>(QString::fromLatin1(settings_file_name), QSettings::IniFormat);
    recovery_folder_value = settings_store->value(QStringLiteral("recovery_folder")).toString();
    language_value = settings_store->value(QStringLiteral("language")).toString();

    if (language_value.isEmpty()) {
        const QString chosen = registry_language();
        if (!chosen.isEmpty()) {
            language_value = chosen;
            settings_store->setValue(QStringLiteral("language"), language_value);
            settings_store->sync();
        } else {
            language_value = QStringLiteral("English");
        }
    }

    load_language(QStringLiteral("English"), false);
    load_language(language_value, true);
    return 0;
}

void save_settings()
{
    if (!settings_store)
        settings_store = std::make_unique<QSettings>(QString::fromLatin1(settings_file_name), QSettings::IniFormat);
    settings_store->setValue(QStringLiteral("recovery_folder"), recovery_folder_value);
    settings_store->setValue(QStringLiteral("language"), language_value);
    settings_store->sync();
}

const QString& recovery_folder()
{
    return recovery_folder_value;
}

const QString& current_language()
{
    return language_value;
}

void set_current_language(const QString& name)
{
    language_value = name;
}

QString format_size(quint64 bytes)
{
    const double value = static_cast<double>(bytes);
    if (bytes > 1073741824ULL)
        return QString::asprintf("%.2fG", value / 1073741824.0);
    if (bytes > 1048576ULL)
        return QString::asprintf("%.2fM", value / 1048576.0);
    if (bytes > 1024ULL)
        return QString::asprintf("%.2fK", value / 1024.0);
    // At most 1024 here, so the whole number always fits an int.
    return QString::asprintf("%dB", static_cast<int>(bytes));
}
