// SPDX-License-Identifier: GPL-3.0-or-later
// A small fake machine for the platform layer: sysfs block entries, /dev nodes that are
// regular files holding real file-system images, and a mount table.
#pragma once

#include "platform/devices.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QTemporaryDir>

struct fake_partition_s {
    QString name;          // "sda1"
    int number = 1;
    quint64 start = 0;     // 512-byte sectors on the parent
    quint64 sectors = 0;
    QString dev_numbers;   // "8:1"
    bool node = true;      // false: sysfs knows it, but no /dev node was made for it
};

struct fake_disk_s {
    QString name;          // "sda"
    QString image;         // file whose bytes the node holds; empty: a node of 'sectors' zeros
    quint64 sectors = 0;   // 0: the image's size
    bool removable = false;
    bool usb = false;      // sysfs entry links below a USB host controller
    QString backing_file;  // loop devices: written to loop/backing_file when not empty
    QString dev_numbers;   // "8:0"
    bool node = true;      // false: no /dev node (the device vanished)
    QList<fake_partition_s> partitions;  // node contents are cut from the disk's image
};

class fake_machine_c {
public:
    fake_machine_c()
    {
        roots_.sysfs = dir_.path() + QStringLiteral("/sys");
        roots_.dev = dir_.path() + QStringLiteral("/dev");
        roots_.mountinfo = dir_.path() + QStringLiteral("/mountinfo");
        QDir().mkpath(roots_.sysfs + QStringLiteral("/block"));
        QDir().mkpath(roots_.dev);
        write(roots_.mountinfo, QByteArray());
    }

    bool valid() const { return dir_.isValid(); }
    const platform::roots_s& roots() const { return roots_; }
    QString path() const { return dir_.path(); }
    QString node(const QString& name) const { return roots_.dev + QLatin1Char('/') + name; }

    void add(const fake_disk_s& d)
    {
        QString sys;
        const QString link = roots_.sysfs + QStringLiteral("/block/") + d.name;
        if (d.usb) {
            sys = roots_.sysfs + QStringLiteral("/devices/pci0000:00/0000:00:14.0/usb1/1-1/block/") + d.name;
            QDir().mkpath(sys);
            QFile::link(sys, link);
        } else {
            sys = link;
            QDir().mkpath(sys);
        }
        QByteArray content;
        if (!d.image.isEmpty()) {
            QFile f(d.image);
            if (f.open(QIODevice::ReadOnly))
                content = f.readAll();
        } else {
            content = QByteArray(qsizetype(d.sectors * 512), '\0');
        }
        const quint64 sectors = d.sectors != 0 ? d.sectors : quint64(content.size()) / 512;
        write(sys + QStringLiteral("/size"), QByteArray::number(sectors) + '\n');
        write(sys + QStringLiteral("/removable"), d.removable ? "1\n" : "0\n");
        if (!d.dev_numbers.isEmpty())
            write(sys + QStringLiteral("/dev"), d.dev_numbers.toUtf8() + '\n');
        if (d.name.startsWith(QLatin1String("loop"))) {
            QDir().mkpath(sys + QStringLiteral("/loop"));
            if (!d.backing_file.isEmpty())
                write(sys + QStringLiteral("/loop/backing_file"), d.backing_file.toUtf8() + '\n');
        }
        if (d.node)
            write(node(d.name), content);
        for (const fake_partition_s& p : d.partitions) {
            const QString psys = sys + QLatin1Char('/') + p.name;
            QDir().mkpath(psys);
            write(psys + QStringLiteral("/partition"), QByteArray::number(p.number) + '\n');
            write(psys + QStringLiteral("/start"), QByteArray::number(p.start) + '\n');
            write(psys + QStringLiteral("/size"), QByteArray::number(p.sectors) + '\n');
            if (!p.dev_numbers.isEmpty())
                write(psys + QStringLiteral("/dev"), p.dev_numbers.toUtf8() + '\n');
            if (d.node && p.node)
                write(node(p.name), content.mid(qsizetype(p.start * 512), qsizetype(p.sectors * 512)));
        }
    }

    // Any other sysfs entry (optical drives, zram, device-mapper): a node and a size.
    void add_other(const QString& name, const QString& image)
    {
        fake_disk_s d;
        d.name = name;
        d.image = image;
        d.sectors = image.isEmpty() ? 2048 : 0;
        add(d);
    }

    void set_mountinfo(const QByteArray& text) { write(roots_.mountinfo, text); }

    static void write(const QString& path, const QByteArray& bytes)
    {
        QFile f(path);
        if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
            f.write(bytes);
    }

private:
    QTemporaryDir dir_;
    platform::roots_s roots_;
};

inline QString fixture_image(const char* name)
{
    return QStringLiteral(PELLUCAN_FIXTURE_DIR "/disk_images/") + QLatin1String(name);
}
