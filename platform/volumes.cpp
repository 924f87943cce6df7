// SPDX-License-Identifier: GPL-3.0-or-later
// Finds the volumes of the drive order: kernel partitions from sysfs, partitions read from
// the partition table of images (and of loop devices without partition scanning), and
// whole-disk file systems; file system, label and UUID come from libblkid.
//
// Notes:
// - Every sysfs value, mount table line and partition table entry is untrusted text or
//   data: a value that does not parse drops that entry, never the whole list.
// - A partition whose file system libblkid does not recognise is still a volume (with an
//   empty file system): a damaged boot sector is exactly what a recovery user brings, and
//   the signature scan needs no file system. A whole disk without a partition table is a
//   volume only when it carries a file system.
// - MBR extended containers are not volumes; their logical partitions are.
#include "platform/volumes.h"

#include "platform/block_device.h"
#include "platform/devices.h"
#include "platform/sysfs.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <blkid/blkid.h>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/statvfs.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr qint64 mountinfo_bytes_max = 8 * 1024 * 1024;
constexpr int mountinfo_lines_max = 100000;
constexpr int table_entries_max = 256;
constexpr int sysfs_partitions_max = 1024;
constexpr size_t blkid_value_max = 4096;

uint16_t le16(const uint8_t* p)
{
    return uint16_t(p[0] | (p[1] << 8));
}

uint32_t le32(const uint8_t* p)
{
    return uint32_t(p[0]) | (uint32_t(p[1]) << 8) | (uint32_t(p[2]) << 16) | (uint32_t(p[3]) << 24);
}

struct fs_probe_s {
    QString type;  // as blkid names it ("vfat", "ntfs", ...)
    QString version;
    QString label;
    QString uuid;
};

QString blkid_value(blkid_probe pr, const char* name)
{
    const char* data = nullptr;
    size_t len = 0;
    if (blkid_probe_lookup_value(pr, name, &data, &len) != 0 || data == nullptr)
        return {};
    return QString::fromUtf8(data, qsizetype(strnlen(data, std::min(len, blkid_value_max))));
}

// Probes the file system in [offset, offset + size) of an open device. 0 when one was found.
int probe_file_system(int fd, quint64 offset, quint64 size, fs_probe_s& out)
{
    out = fs_probe_s{};
    blkid_probe pr = blkid_new_probe();
    if (pr == nullptr)
        return -1;
    int rc = -1;
    if (blkid_probe_set_device(pr, fd, blkid_loff_t(offset), blkid_loff_t(size)) == 0) {
        blkid_probe_enable_partitions(pr, 0);
        blkid_probe_enable_superblocks(pr, 1);
        blkid_probe_set_superblocks_flags(pr, BLKID_SUBLKS_TYPE | BLKID_SUBLKS_LABEL |
                                                  BLKID_SUBLKS_UUID | BLKID_SUBLKS_VERSION);
        if (blkid_do_safeprobe(pr) == 0) {
            out.type = blkid_value(pr, "TYPE");
            out.version = blkid_value(pr, "VERSION");
            out.label = blkid_value(pr, "LABEL");
            out.uuid = blkid_value(pr, "UUID");
            rc = out.type.isEmpty() ? -1 : 0;
        }
    }
    blkid_free_probe(pr);
    return rc;
}

// Reads the partition table of a whole disk or image. Entries are returned unchecked.
QList<table_entry_s> probe_partition_table(int fd, quint64 size)
{
    QList<table_entry_s> entries;
    blkid_probe pr = blkid_new_probe();
    if (pr == nullptr)
        return entries;
    if (blkid_probe_set_device(pr, fd, 0, blkid_loff_t(size)) == 0) {
        blkid_probe_enable_superblocks(pr, 0);
        blkid_probe_enable_partitions(pr, 1);
        blkid_partlist list = blkid_probe_get_partitions(pr);
        const int n = list != nullptr ? blkid_partlist_numof_partitions(list) : 0;
        for (int i = 0; i < n && i < table_entries_max; ++i) {
            blkid_partition par = blkid_partlist_get_partition(list, i);
            if (par == nullptr)
                continue;
            const blkid_loff_t start = blkid_partition_get_start(par);
            const blkid_loff_t count = blkid_partition_get_size(par);
            const int number = blkid_partition_get_partno(par);
            if (start < 0 || count < 0)
                continue;
            table_entry_s e;
            e.partition_no = number;
            e.start_sector = quint64(start);
            e.sector_count = quint64(count);
            e.extended = blkid_partition_is_extended(par) != 0;
            entries.append(e);
        }
    }
    blkid_free_probe(pr);
    return entries;
}

QString file_system_name(const fs_probe_s& fs, int fd, quint64 offset)
{
    if (fs.type.isEmpty())
        return {};
    if (fs.type == QLatin1String("vfat") || fs.type == QLatin1String("msdos")) {
        if (fs.version == QLatin1String("FAT12") || fs.version == QLatin1String("FAT16") ||
            fs.version == QLatin1String("FAT32"))
            return fs.version;
        uint8_t sector[512];
        // The descriptor belongs to the caller; read through it directly.
        ssize_t got;
        do {
            got = ::pread(fd, sector, sizeof sector, off_t(offset));
        } while (got < 0 && errno == EINTR);
        if (got == ssize_t(sizeof sector))
            return fat_variant_from_boot_sector(sector, sizeof sector);
        return {};
    }
    if (fs.type == QLatin1String("ntfs"))
        return QStringLiteral("NTFS");
    if (fs.type == QLatin1String("exfat"))
        return QStringLiteral("exFAT");
    return fs.type.toUpper();
}

bool safe_uuid(const QString& uuid)
{
    static const QRegularExpression pattern(QStringLiteral("^[A-Za-z0-9_-]{1,128}$"));
    return pattern.match(uuid).hasMatch();
}

QList<mount_s> read_mount_table(const QString& path)
{
    QByteArray text;
    if (read_small_file(path, text, mountinfo_bytes_max) != 0)
        return {};
    return parse_mountinfo(text);
}

QString canonical(const QString& path)
{
    return path.isEmpty() ? QString() : QFileInfo(path).canonicalFilePath();
}

// Fills the parts of a volume that depend on its contents and on the mount table.
void fill_details(volume_s& v, int fd, const QString& dev_numbers, const QList<mount_s>& mounts,
                  const QString& dev_root)
{
    fs_probe_s fs;
    if (fd >= 0 && probe_file_system(fd, v.start_sector * 512, v.device_size, fs) == 0) {
        v.file_system = file_system_name(fs, fd, v.start_sector * 512);
        v.label = fs.label;
        v.uuid = fs.uuid;
    }
    if (!v.uuid.isEmpty() && safe_uuid(v.uuid)) {
        const QString link = dev_root + QStringLiteral("/disk/by-uuid/") + v.uuid;
        if (QFileInfo::exists(link))
            v.volume_name = link;
    }
    if (!v.image) {
        const QString node = canonical(v.device_path);
        for (const mount_s& m : mounts) {
            bool same = !dev_numbers.isEmpty() && m.dev_numbers == dev_numbers;
            if (!same && !node.isEmpty() && m.source.startsWith(QLatin1Char('/')))
                same = canonical(m.source) == node;
            if (same && !v.mount_points.contains(m.mount_point))
                v.mount_points.append(m.mount_point);
        }
    }
    v.total_size = v.device_size;
    v.free_size = 0;
    if (!v.mount_points.isEmpty()) {
        struct statvfs st {};
        if (::statvfs(QFile::encodeName(v.mount_points.first()).constData(), &st) == 0 &&
            st.f_frsize > 0) {
            v.total_size = quint64(st.f_blocks) * quint64(st.f_frsize);
            v.free_size = quint64(st.f_bfree) * quint64(st.f_frsize);
        }
    }
}

struct sysfs_partition_s {
    QString name;
    QString dev_numbers;
    int number = 0;
    quint64 start = 0;
    quint64 sectors = 0;
};

QList<sysfs_partition_s> sysfs_partitions(const disk_s& disk)
{
    QList<sysfs_partition_s> parts;
    QStringList names = QDir(disk.sysfs_dir).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    int seen = 0;
    for (const QString& name : std::as_const(names)) {
        if (++seen > sysfs_partitions_max)
            break;
        if (!name.startsWith(disk.name))
            continue;
        const QString dir = disk.sysfs_dir + QLatin1Char('/') + name;
        quint64 number = 0, start = 0, sectors = 0;
        if (read_attribute_u64(dir + QStringLiteral("/partition"), number) != 0)
            continue;
        if (number == 0 || number > 255)
            continue;
        if (read_attribute_u64(dir + QStringLiteral("/start"), start) != 0 ||
            read_attribute_u64(dir + QStringLiteral("/size"), sectors) != 0)
            continue;
        sysfs_partition_s p;
        p.name = name;
        p.number = int(number);
        p.start = start;
        p.sectors = sectors;
        QString numbers;
        if (read_attribute_text(dir + QStringLiteral("/dev"), numbers) == 0)
            p.dev_numbers = numbers;
        parts.append(p);
    }
    return parts;
}

}  // namespace

QString table_partition_name(const QString& disk_node, int partition_no)
{
    return disk_node + QStringLiteral("#p") + QString::number(partition_no);
}

QList<table_entry_s> sane_table_entries(const QList<table_entry_s>& entries, quint64 disk_sectors)
{
    QList<table_entry_s> kept;
    for (const table_entry_s& e : entries) {
        if (e.extended || e.sector_count == 0 || e.start_sector == 0)
            continue;
        if (e.partition_no <= 0 || e.partition_no > 255)
            continue;
        if (e.start_sector >= disk_sectors || e.sector_count > disk_sectors - e.start_sector)
            continue;
        kept.append(e);
    }
    QList<table_entry_s> result;
    for (qsizetype i = 0; i < kept.size(); ++i) {
        bool bad = false;
        for (qsizetype j = 0; j < kept.size() && !bad; ++j) {
            if (i == j)
                continue;
            const table_entry_s& a = kept[i];
            const table_entry_s& b = kept[j];
            if (a.partition_no == b.partition_no)
                bad = true;
            // Both lie inside the disk, so the ends cannot overflow.
            if (a.start_sector < b.start_sector + b.sector_count &&
                b.start_sector < a.start_sector + a.sector_count)
                bad = true;
        }
        if (!bad)
            result.append(kept[i]);
    }
    return result;
}

QString unescape_mount_field(const QByteArray& field)
{
    QByteArray out;
    out.reserve(field.size());
    for (qsizetype i = 0; i < field.size(); ++i) {
        const char c = field[i];
        if (c == '\\' && i + 3 < field.size()) {
            const char a = field[i + 1], b = field[i + 2], d = field[i + 3];
            if (a >= '0' && a <= '3' && b >= '0' && b <= '7' && d >= '0' && d <= '7') {
                out.append(char(((a - '0') << 6) | ((b - '0') << 3) | (d - '0')));
                i += 3;
                continue;
            }
        }
        out.append(c);
    }
    return QString::fromUtf8(out);
}

QList<mount_s> parse_mountinfo(const QByteArray& text)
{
    static const QRegularExpression numbers(QStringLiteral("^[0-9]{1,10}:[0-9]{1,10}$"));
    QList<mount_s> mounts;
    const QList<QByteArray> lines = text.split('\n');
    int count = 0;
    for (const QByteArray& line : lines) {
        if (++count > mountinfo_lines_max)
            break;
        const QList<QByteArray> f = line.split(' ');
        if (f.size() < 10)
            continue;
        qsizetype dash = -1;
        for (qsizetype i = 6; i < f.size(); ++i) {
            if (f[i] == "-") {
                dash = i;
                break;
            }
        }
        if (dash < 0 || dash + 2 >= f.size())
            continue;
        const QString dev = QString::fromLatin1(f[2]);
        if (!numbers.match(dev).hasMatch())
            continue;
        mount_s m;
        m.dev_numbers = dev;
        m.mount_point = unescape_mount_field(f[4]);
        m.fs_type = unescape_mount_field(f[dash + 1]);
        m.source = unescape_mount_field(f[dash + 2]);
        if (!m.mount_point.startsWith(QLatin1Char('/')))
            continue;
        mounts.append(m);
    }
    return mounts;
}

QString fat_variant_from_boot_sector(const uint8_t* sector, size_t size)
{
    if (sector == nullptr || size < 512)
        return {};
    const uint32_t bytes_per_sector = le16(sector + 11);
    const uint32_t sectors_per_cluster = sector[13];
    const uint32_t reserved_sector_count = le16(sector + 14);
    const uint32_t number_of_fats = sector[16];
    const uint32_t root_entry_count = le16(sector + 17);
    const uint32_t total_sectors_16 = le16(sector + 19);
    const uint32_t fat_size_16 = le16(sector + 22);
    const uint32_t total_sectors_32 = le32(sector + 32);
    const uint32_t fat_size_32 = le32(sector + 36);

    if (bytes_per_sector != 512 && bytes_per_sector != 1024 && bytes_per_sector != 2048 &&
        bytes_per_sector != 4096)
        return {};
    if (sectors_per_cluster == 0 || (sectors_per_cluster & (sectors_per_cluster - 1)) != 0)
        return {};
    if (reserved_sector_count == 0 || number_of_fats == 0)
        return {};
    const uint64_t fat_size = fat_size_16 != 0 ? fat_size_16 : fat_size_32;
    const uint64_t total = total_sectors_16 != 0 ? total_sectors_16 : total_sectors_32;
    if (fat_size == 0 || total == 0)
        return {};
    const uint64_t root_dir_sectors =
        (uint64_t(root_entry_count) * 32 + bytes_per_sector - 1) / bytes_per_sector;
    const uint64_t meta = reserved_sector_count + uint64_t(number_of_fats) * fat_size + root_dir_sectors;
    if (total <= meta)
        return {};
    const uint64_t clusters = (total - meta) / sectors_per_cluster;
    // The variant is a matter of the cluster count alone.
    if (clusters < 4085)
        return QStringLiteral("FAT12");
    if (clusters < 65525)
        return QStringLiteral("FAT16");
    return QStringLiteral("FAT32");
}

int probe_volumes(QList<volume_s>& out, bool details)
{
    out.clear();
    const roots_s r = roots();
    const QList<disk_s> disks = disk_order();
    const QList<mount_s> mounts = details ? read_mount_table(r.mountinfo) : QList<mount_s>{};

    for (int disk_no = 0; disk_no < disks.size(); ++disk_no) {
        const disk_s& disk = disks[disk_no];
        const int type = disk.removable ? drive_type_removable : drive_type_fixed;

        QList<sysfs_partition_s> kernel_parts;
        quint64 disk_bytes = 0;
        if (!disk.image) {
            kernel_parts = sysfs_partitions(disk);
            quint64 sectors = 0;
            if (read_attribute_u64(disk.sysfs_dir + QStringLiteral("/size"), sectors) == 0 &&
                sectors <= UINT64_MAX / 512)
                disk_bytes = sectors * 512;
        }

        if (!kernel_parts.isEmpty()) {
            QList<table_entry_s> entries;
            for (const sysfs_partition_s& p : std::as_const(kernel_parts)) {
                // An extended container shows as a partition of one or two sectors.
                table_entry_s e;
                e.partition_no = p.number;
                e.start_sector = p.start;
                e.sector_count = p.sectors;
                e.extended = p.sectors <= 2;
                entries.append(e);
            }
            const QList<table_entry_s> sane = sane_table_entries(entries, disk_bytes / 512);
            for (const sysfs_partition_s& p : std::as_const(kernel_parts)) {
                const bool keep = std::any_of(sane.begin(), sane.end(), [&](const table_entry_s& e) {
                    return e.partition_no == p.number;
                });
                if (!keep)
                    continue;
                volume_s v;
                v.device_path = r.dev + QLatin1Char('/') + p.name;
                v.volume_name = v.device_path;
                v.drive_type = type;
                v.device_size = p.sectors * 512;
                v.disk_no = disk_no;
                v.partition_no = p.number;
                // The partition's own node: its file system starts at offset 0 there.
                v.start_sector = p.start;
                if (details) {
                    // Probe through the partition's own node; when it cannot be opened
                    // (no node made for it, as in a container without udev), through the
                    // whole disk at the partition's start.
                    block_device_c dev;
                    volume_s probe = v;
                    if (dev.open(v.device_path) == 0) {
                        probe.start_sector = 0;
                    } else if (dev.open(disk.node) != 0) {
                        dev.close();
                    }
                    fill_details(probe, dev.is_open() ? dev.fd() : -1, p.dev_numbers, mounts, r.dev);
                    probe.start_sector = v.start_sector;
                    v = probe;
                }
                out.append(v);
            }
            continue;
        }

        // An image, or a disk whose partitions the kernel does not show: read its table.
        block_device_c dev;
        if (dev.open(disk.node) != 0)
            continue;
        device_info_s info;
        if (dev.query(info) != 0 || info.size_bytes == 0)
            continue;
        if (disk_bytes == 0 || info.size_bytes < disk_bytes)
            disk_bytes = info.size_bytes;
        const QList<table_entry_s> entries =
            sane_table_entries(probe_partition_table(dev.fd(), disk_bytes), disk_bytes / 512);
        if (!entries.isEmpty()) {
            for (const table_entry_s& e : entries) {
                volume_s v;
                v.device_path = table_partition_name(disk.node, e.partition_no);
                v.volume_name = v.device_path;
                v.drive_type = type;
                v.image = disk.image;
                v.device_size = e.sector_count * 512;
                v.disk_no = disk_no;
                v.partition_no = e.partition_no;
                v.start_sector = e.start_sector;
                if (details)
                    fill_details(v, dev.fd(), QString(), {}, r.dev);
                out.append(v);
            }
            continue;
        }
        // No partition table: a volume only when the whole disk carries a file system.
        fs_probe_s fs;
        if (probe_file_system(dev.fd(), 0, disk_bytes, fs) != 0)
            continue;
        volume_s v;
        v.device_path = disk.node;
        v.volume_name = v.device_path;
        v.drive_type = type;
        v.image = disk.image;
        v.device_size = disk_bytes;
        v.disk_no = disk_no;
        v.partition_no = 0;
        v.start_sector = 0;
        if (details)
            fill_details(v, dev.fd(), disk.dev_numbers, mounts, r.dev);
        out.append(v);
    }
    const bool any_image = std::any_of(disks.begin(), disks.end(), [](const disk_s& d) { return d.image; });
    return QDir(r.sysfs + QStringLiteral("/block")).exists() || any_image ? 0 : -1;
}

int find_volume(const QString& path, volume_s& out, bool details)
{
    out = volume_s{};
    QString wanted = path;
    if (wanted.endsWith(QLatin1Char('/')) || wanted.endsWith(QLatin1Char('\\')))
        wanted.chop(1);
    if (wanted.isEmpty())
        return -1;
    QList<volume_s> volumes;
    probe_volumes(volumes, details);
    for (const volume_s& v : std::as_const(volumes)) {
        if (v.device_path == wanted || v.volume_name == wanted) {
            out = v;
            return 0;
        }
    }
    // A link (/dev/disk/by-uuid/..., a symlink to an image) or another spelling of a node.
    const QString real = canonical(wanted);
    if (real.isEmpty())
        return -1;
    for (const volume_s& v : std::as_const(volumes)) {
        if (canonical(v.device_path) == real) {
            out = v;
            return 0;
        }
    }
    return -1;
}

namespace {

int open_found_volume(const volume_s& v, int& fd, quint64& offset, quint64& length)
{
    const QList<disk_s> disks = disk_order();
    if (v.disk_no < 0 || v.disk_no >= disks.size())
        return -1;
    const QByteArray node = QFile::encodeName(disks[v.disk_no].node);
    int handle;
    do {
        handle = ::open(node.constData(), O_RDONLY | O_CLOEXEC);
    } while (handle < 0 && errno == EINTR);
    if (handle < 0)
        return -1;
    fd = handle;
    offset = v.start_sector * 512;
    length = v.device_size;
    return 0;
}

}  // namespace

int open_volume(const QString& path, int& fd, quint64& offset, quint64& length)
{
    fd = -1;
    offset = 0;
    length = 0;
    volume_s v;
    if (find_volume(path, v, false) != 0)
        return -1;
    return open_found_volume(v, fd, offset, length);
}

int open_disk_partition(int disk_no, int partition_no, int& fd, quint64& offset, quint64& length)
{
    fd = -1;
    offset = 0;
    length = 0;
    QList<volume_s> volumes;
    probe_volumes(volumes, false);
    for (const volume_s& v : std::as_const(volumes)) {
        if (v.disk_no == disk_no && v.partition_no == partition_no)
            return open_found_volume(v, fd, offset, length);
    }
    return -1;
}

}  // namespace platform
