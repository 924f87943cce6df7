// SPDX-License-Identifier: GPL-3.0-or-later
// The commands of pellucan-cli.
//
// A scan runs exactly as the recovery page runs it: choose the engine, reset it, give it
// the volume, start its thread, watch progress every 200 ms, and read its result store
// once the thread has finished. Results go to standard output; messages, the progress bar
// and (with --trace) the engines' trace lines go to standard error.
#include "cli/cli_commands.h"

#include "cli/cli_engines.h"
#include "cli/cli_output.h"
#include "cli/cli_source.h"
#include "engines/extract/output_path.h"
#include "platform/privileges.h"
#include "storage/drive_list.h"
#include "storage/volume_list.h"

#include <QDir>
#include <QFileInfo>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>

#include <algorithm>
#include <csignal>
#include <sys/stat.h>
#include <unistd.h>

namespace {

constexpr int exit_interrupted = 130;  // the shell's code for a run ended by Ctrl-C

volatile std::sig_atomic_t interrupted = 0;

// First Ctrl-C: stop gently (the scan keeps what it found, recovery ends after the
// current file). A second one ends the program at once.
void on_interrupt(int)
{
    if (interrupted != 0) {
        std::signal(SIGINT, SIG_DFL);
        std::raise(SIGINT);
        return;
    }
    interrupted = 1;
}

class interrupt_guard_c {
public:
    interrupt_guard_c()
    {
        interrupted = 0;
        struct sigaction action {};
        action.sa_handler = on_interrupt;
        sigemptyset(&action.sa_mask);
        ::sigaction(SIGINT, &action, &previous_);
    }
    ~interrupt_guard_c() { ::sigaction(SIGINT, &previous_, nullptr); }

private:
    struct sigaction previous_ {};
};

int not_available(const QString& what)
{
    print_error(QStringLiteral("pellucan-cli: %1 is not available in this build").arg(what));
    return EXIT_SOURCE;
}

// One scan: the engine chosen for the volume, and the files read from its store.
struct session_s {
    const cli_engine_s* kind = nullptr;
    std::unique_ptr<recovery_base_c> engine;
    volume_item_s volume;
    QList<found_file_s> files;
    bool stopped = false;
    int out_fd = -1;  // recover: the output folder, opened before the scan

    ~session_s()
    {
        if (out_fd >= 0)
            ::close(out_fd);
    }
};

void run_engine(session_s* session, bool progress_bar)
{
    recovery_base_c* engine = session->engine.get();
    engine->reset();
    engine->set_volume(session->volume);

    interrupt_guard_c guard;
    terminal_progress_c bar(progress_bar);
    const quint64 total_bytes = session->kind->progress_in_bytes ? session->volume.total_size : 0;
    engine->start();
    bool stop_sent = false;
    while (!engine->wait(200)) {
        if (interrupted != 0 && !stop_sent) {
            engine->set_state(STATE_STOPPED);
            stop_sent = true;
            bar.finish();
            print_error(QStringLiteral("pellucan-cli: stopping the scan; what was found so far follows"));
        }
        bar.update(engine->progress(), engine->scanned_count(), engine->found_count(), total_bytes);
    }
    bar.finish();

    session->files.clear();
    if (engine->state() == STATE_ABANDONED) {
        engine->reset();
    } else {
        engine->set_progress(1.0);
        session->kind->collect(engine, &session->files);
    }
    session->stopped = engine->state() == STATE_STOPPED || stop_sent;
    std::sort(session->files.begin(), session->files.end(), [](const found_file_s& a, const found_file_s& b) {
        const QString pa = a.path();
        const QString pb = b.path();
        return pa != pb ? pa < pb : a.id < b.id;
    });
}

int open_output_folder(const cli_options_s& options, const volume_item_s& volume, int* out_fd)
{
    // Writing onto the scanned volume can overwrite the very clusters the deleted files
    // still occupy: refuse before the scan starts, unless the user insists.
    const int on_volume = folder_on_volume(options.out, volume.device_path, volume_mount_points(volume));
    if (on_volume == 1 && !options.has(OPTION_FORCE)) {
        print_error(QStringLiteral("pellucan-cli: %1 lies on the scanned volume %2; writing there can overwrite the "
                                   "files to recover. Choose a folder on another disk (or give --force).")
                        .arg(options.out, printable(volume.device_path)));
        return EXIT_USAGE;
    }
    // Made and opened before the scan, so that a folder that cannot be written is known
    // before a long scan rather than after it.
    QString error;
    if (open_output_root(options.out, out_fd, &error) != 0) {
        print_error(QStringLiteral("pellucan-cli: %1").arg(error));
        return EXIT_WRITE_FAILED;
    }
    return EXIT_DONE;
}

// Chooses the engine, finds the volume and runs the scan (or loads the scan file).
int open_session(const cli_options_s& options, session_s* session)
{
    const bool deep = options.has(OPTION_DEEP) || options.has(OPTION_FROM);
    if (deep) {
        session->kind = choose_engine(volume_item_s(), true);
        if (session->kind == nullptr)
            return not_available(options.has(OPTION_FROM) ? QStringLiteral("loading scan files (--from)")
                                                          : QStringLiteral("the deep scan (--deep)"));
        if (options.has(OPTION_SAVE) && session->kind->save == nullptr)
            return not_available(QStringLiteral("saving scan files (--save)"));
        if (options.has(OPTION_FROM) && session->kind->load == nullptr)
            return not_available(QStringLiteral("loading scan files (--from)"));
    }

    const int resolved = resolve_source(options.source, options.partition, &session->volume);
    if (resolved != EXIT_DONE)
        return resolved;
    const volume_item_s& volume = session->volume;
    if (!deep) {
        session->kind = choose_engine(volume, false);
        if (session->kind == nullptr) {
            if (volume.file_system.isEmpty())
                print_error(QStringLiteral("pellucan-cli: no file system recognised on %1; try --deep").arg(options.source));
            else
                print_error(QStringLiteral("pellucan-cli: the file system %1 of %2 is not supported by the quick scan; "
                                           "try --deep")
                                .arg(volume.file_system, options.source));
            return EXIT_SOURCE;
        }
    }
    if (options.command == COMMAND_RECOVER) {
        const int checked = open_output_folder(options, volume, &session->out_fd);
        if (checked != EXIT_DONE)
            return checked;
    }
    session->engine = session->kind->create();

    if (options.has(OPTION_FROM)) {
        // The saved records address the source by byte offsets; SOURCE names the volume.
        session->engine->reset();
        const QString saved_path = session->kind->load(session->engine.get(), options.from);
        if (saved_path.isEmpty()) {
            print_error(QStringLiteral("pellucan-cli: cannot load the scan file %1").arg(options.from));
            return EXIT_SOURCE;
        }
        session->engine->set_volume(volume);
        session->kind->collect(session->engine.get(), &session->files);
        return EXIT_DONE;
    }
    run_engine(session, !options.has(OPTION_TRACE));
    return EXIT_DONE;
}

QJsonObject file_json(const found_file_s& file)
{
    QJsonObject object{
        {QStringLiteral("id"), static_cast<qint64>(file.id)},
        {QStringLiteral("path"), file.path()},
        {QStringLiteral("name"), file.name},
        {QStringLiteral("size"), file.size},
        {QStringLiteral("date1"), file.date1},
        {QStringLiteral("date2"), file.date2},
        {QStringLiteral("flags"), static_cast<qint64>(file.flags)},
        {QStringLiteral("deleted"), file.deleted},
        {QStringLiteral("engine"), file.engine},
    };
    if (file.offset >= 0) {
        object.insert(QStringLiteral("offset"), file.offset);
        object.insert(QStringLiteral("type"), file.type);
    }
    return object;
}

QString volume_text(const volume_item_s& volume)
{
    QString text = volume.device_path;
    if (!volume.file_system.isEmpty())
        text += QStringLiteral(" (%1)").arg(volume.file_system);
    return text;
}

// The files that --all, --id or --match select, in list order; EXIT_USAGE on a bad choice.
int select_files(const cli_options_s& options, const QList<found_file_s>& files, QList<const found_file_s*>* chosen)
{
    chosen->clear();
    if (options.has(OPTION_ALL)) {
        for (const found_file_s& f : files)
            chosen->append(&f);
        return EXIT_DONE;
    }
    if (options.has(OPTION_ID)) {
        QHash<quint64, const found_file_s*> by_id;
        for (const found_file_s& f : files)
            by_id.insert(f.id, &f);
        QSet<quint64> taken;
        for (quint64 id : options.ids) {
            const found_file_s* file = by_id.value(id, nullptr);
            if (file == nullptr) {
                print_error(QStringLiteral("pellucan-cli: no file with id %1 was found (see 'pellucan-cli scan')").arg(id));
                return EXIT_USAGE;
            }
            if (!taken.contains(id))
                chosen->append(file);
            taken.insert(id);
        }
        return EXIT_DONE;
    }
    const QRegularExpression pattern(QRegularExpression::wildcardToRegularExpression(options.match),
                                     QRegularExpression::CaseInsensitiveOption);
    if (!pattern.isValid()) {
        print_error(QStringLiteral("pellucan-cli: --match: not a usable pattern: %1").arg(options.match));
        return EXIT_USAGE;
    }
    for (const found_file_s& f : files) {
        if (pattern.match(f.path()).hasMatch() || pattern.match(f.name).hasMatch())
            chosen->append(&f);
    }
    return EXIT_DONE;
}

}  // namespace

QString printable(const QString& text)
{
    QString shown = text;
    for (QChar& c : shown) {
        const char16_t u = c.unicode();
        if (u < 0x20 || u == 0x7f || (u >= 0x80 && u < 0xa0))
            c = QLatin1Char('?');
    }
    return shown;
}

int run_volumes(const cli_options_s& options)
{
    open_drive_table();
    if (enumerate_volumes() != 0) {
        print_error(QStringLiteral("pellucan-cli: the system's device tree cannot be read"));
        return EXIT_SOURCE;
    }
    QList<QStringList> rows{{QStringLiteral("DEVICE"), QStringLiteral("FS"), QStringLiteral("SIZE"),
                             QStringLiteral("DISK"), QStringLiteral("PART"), QStringLiteral("LABEL"),
                             QStringLiteral("MOUNTED ON"), QStringLiteral("VOLUME NAME")}};
    int count = 0;
    for (const volume_item_s& v : volume_list()) {
        if (v.device_path.isEmpty())
            continue;  // the header record
        ++count;
        const bool mounted = v.root_path != v.device_path;
        if (options.has(OPTION_JSON)) {
            print_json(QJsonObject{
                {QStringLiteral("device_path"), v.device_path},
                {QStringLiteral("volume_name"), v.volume_name},
                {QStringLiteral("label"), v.label},
                {QStringLiteral("file_system"), v.file_system},
                {QStringLiteral("root_path"), v.root_path},
                {QStringLiteral("mounted"), mounted},
                {QStringLiteral("total_size"), static_cast<qint64>(v.total_size)},
                {QStringLiteral("free_size"), static_cast<qint64>(v.free_size)},
                {QStringLiteral("partition_no"), v.partition_no},
                {QStringLiteral("disk_no"), v.disk_no},
            });
            continue;
        }
        rows.append({printable(v.device_path), v.file_system.isEmpty() ? QStringLiteral("-") : v.file_system,
                     human_size(v.total_size), QString::number(v.disk_no), QString::number(v.partition_no),
                     v.label.isEmpty() ? QStringLiteral("-") : printable(v.label),
                     mounted ? printable(v.root_path) : QStringLiteral("-"),
                     v.volume_name == v.device_path ? QStringLiteral("-") : printable(v.volume_name)});
    }
    if (!options.has(OPTION_JSON) && count > 0) {
        for (const QString& line : format_table(rows, {2, 3, 4}))
            print_line(line);
    }
    if (count == 0)
        print_error(QStringLiteral("pellucan-cli: no volumes found"));
    if (!can_read_raw_devices())
        print_error(QStringLiteral("pellucan-cli: note: without root (or the \"disk\" group) the volumes of fixed "
                                   "disks are not listed"));
    return EXIT_DONE;
}

int run_drives(const cli_options_s& options)
{
    open_drive_table();
    enumerate_drives();
    QList<QStringList> rows{{QStringLiteral("DISK"), QStringLiteral("PATH"), QStringLiteral("SIZE"),
                             QStringLiteral("BYTES"), QStringLiteral("C/H/S"), QStringLiteral("MEDIA")}};
    int disk_no = -1;
    for (const drive_item_s& d : drive_list()) {
        if (d.path.isEmpty())
            continue;  // the header record
        ++disk_no;
        const disk_geometry_s geometry = d.geometry ? *d.geometry : disk_geometry_s();
        const QString media = geometry.media_type == media_type_removable ? QStringLiteral("removable")
                                                                           : QStringLiteral("fixed");
        if (options.has(OPTION_JSON)) {
            print_json(QJsonObject{
                {QStringLiteral("disk_no"), disk_no},
                {QStringLiteral("path"), d.path},
                {QStringLiteral("size"), static_cast<qint64>(d.size)},
                {QStringLiteral("cylinders"), geometry.cylinders},
                {QStringLiteral("tracks_per_cylinder"), static_cast<qint64>(geometry.tracks_per_cylinder)},
                {QStringLiteral("sectors_per_track"), static_cast<qint64>(geometry.sectors_per_track)},
                {QStringLiteral("bytes_per_sector"), static_cast<qint64>(geometry.bytes_per_sector)},
                {QStringLiteral("media"), media},
            });
            continue;
        }
        rows.append({QString::number(disk_no), printable(d.path), human_size(d.size), QString::number(d.size),
                     QStringLiteral("%1/%2/%3")
                         .arg(geometry.cylinders)
                         .arg(geometry.tracks_per_cylinder)
                         .arg(geometry.sectors_per_track),
                     media});
    }
    if (!options.has(OPTION_JSON) && disk_no >= 0) {
        for (const QString& line : format_table(rows, {0, 2, 3}))
            print_line(line);
    }
    if (disk_no < 0)
        print_error(QStringLiteral("pellucan-cli: no drives found"));
    return EXIT_DONE;
}

int run_scan(const cli_options_s& options)
{
    session_s session;
    const int opened = open_session(options, &session);
    if (opened != EXIT_DONE)
        return opened;

    QList<QStringList> rows{{QStringLiteral("ID"), QStringLiteral("SIZE"), QStringLiteral("MODIFIED"),
                             QStringLiteral("FLAGS"), QStringLiteral("PATH")}};
    int deleted = 0;
    for (const found_file_s& f : session.files) {
        deleted += f.deleted ? 1 : 0;
        if (options.has(OPTION_JSON))
            print_json(file_json(f));
        else
            rows.append({QString::number(f.id), QString::number(f.size), date_text(f.date1),
                         QStringLiteral("0x%1").arg(f.flags, 2, 16, QLatin1Char('0')), printable(f.path())});
    }
    if (!options.has(OPTION_JSON) && !session.files.isEmpty()) {
        for (const QString& line : format_table(rows, {0, 1}))
            print_line(line);
    }
    std::fflush(cli_out());
    print_error(QStringLiteral("%1 files found (%2 deleted) on %3%4")
                    .arg(session.files.size())
                    .arg(deleted)
                    .arg(printable(volume_text(session.volume)),
                         session.stopped ? QStringLiteral(", scan stopped before the end") : QString()));

    if (options.has(OPTION_SAVE) && session.kind->save(session.engine.get(), options.save) != 0) {
        print_error(QStringLiteral("pellucan-cli: cannot write the scan file %1").arg(options.save));
        return EXIT_WRITE_FAILED;
    }
    return session.stopped ? exit_interrupted : EXIT_DONE;
}

int run_recover(const cli_options_s& options)
{
    session_s session;
    const int opened = open_session(options, &session);
    if (opened != EXIT_DONE)
        return opened;
    if (session.stopped)
        print_error(QStringLiteral("pellucan-cli: the scan was stopped; only the files found so far are written"));

    QList<const found_file_s*> chosen;
    const int selected = select_files(options, session.files, &chosen);
    if (selected != EXIT_DONE)
        return selected;
    if (chosen.isEmpty()) {
        print_error(QStringLiteral("pellucan-cli: no file to write (%1 found)").arg(session.files.size()));
        return session.stopped ? exit_interrupted : EXIT_DONE;
    }

    const int root_fd = session.out_fd;
    const QString root = QDir::cleanPath(QFileInfo(options.out).absoluteFilePath());

    interrupt_guard_c guard;
    int written = 0;
    int failed = 0;
    quint64 total = 0;
    for (const found_file_s* file : std::as_const(chosen)) {
        if (interrupted != 0)
            break;
        output_target_s target;
        QString reason;
        qint64 bytes = 0;
        bool ok = false;
        if (prepare_output_file(root_fd, file->dirs, file->name, &target, &reason) == 0) {
            const int rc = session.kind->write != nullptr
                               ? session.kind->write(session.engine.get(), *file, target.open_path)
                               : session.engine->extract(file->id, target.open_path);
            struct stat st {};
            if (::fstat(target.file_fd, &st) == 0)
                bytes = st.st_size;
            if (rc != 0)
                reason = QStringLiteral("the file could not be read from the volume");
            else if (bytes != file->size)
                reason = QStringLiteral("only %1 of %2 bytes could be read").arg(bytes).arg(file->size);
            else
                ok = true;
        }
        const QString target_path = target.relative_path.isEmpty() ? QString()
                                                                    : root + QLatin1Char('/') + target.relative_path;
        close_output_target(&target);
        ok ? ++written : ++failed;
        total += static_cast<quint64>(bytes);

        if (options.has(OPTION_JSON)) {
            QJsonObject object{
                {QStringLiteral("id"), static_cast<qint64>(file->id)},
                {QStringLiteral("path"), file->path()},
                {QStringLiteral("target"), target_path},
                {QStringLiteral("ok"), ok},
                {QStringLiteral("bytes"), bytes},
            };
            if (!ok)
                object.insert(QStringLiteral("error"), reason);
            print_json(object);
        } else if (ok) {
            print_line(QStringLiteral("ok      %1  %2 -> %3").arg(bytes, 8).arg(printable(file->path()), printable(target_path)));
        } else {
            print_line(QStringLiteral("FAILED  %1  %2: %3").arg(bytes, 8).arg(printable(file->path()), reason));
        }
        std::fflush(cli_out());
    }
    const int skipped = static_cast<int>(chosen.size()) - written - failed;
    print_error(QStringLiteral("%1 of %2 files written to %3 (%4)%5")
                    .arg(written)
                    .arg(chosen.size())
                    .arg(printable(root), human_size(total),
                         skipped > 0 ? QStringLiteral(", stopped before %1 more").arg(skipped) : QString()));
    if (failed > 0)
        return EXIT_WRITE_FAILED;
    if (skipped > 0 || session.stopped)
        return exit_interrupted;
    return EXIT_DONE;
}

int run_partitions(const cli_options_s& options)
{
    Q_UNUSED(options);
    return not_available(QStringLiteral("the lost-partition search (partitions)"));
}

int run_cli(const QStringList& arguments)
{
    cli_options_s options;
    QString error;
    if (parse_arguments(arguments, &options, &error) != 0) {
        print_error(QStringLiteral("pellucan-cli: %1").arg(error));
        print_error(QStringLiteral("Try 'pellucan-cli --help'."));
        return EXIT_USAGE;
    }
    cli_take_stdout(options.has(OPTION_TRACE));

    int code = EXIT_DONE;
    switch (options.command) {
    case COMMAND_HELP:
        std::fputs(command_help(options.help_for).toUtf8().constData(), cli_out());
        break;
    case COMMAND_VERSION: print_line(QStringLiteral("pellucan-cli " PELLUCAN_VERSION)); break;
    case COMMAND_VOLUMES: code = run_volumes(options); break;
    case COMMAND_DRIVES: code = run_drives(options); break;
    case COMMAND_SCAN: code = run_scan(options); break;
    case COMMAND_RECOVER: code = run_recover(options); break;
    case COMMAND_PARTITIONS: code = run_partitions(options); break;
    case COMMAND_NONE: code = EXIT_USAGE; break;
    }
    std::fflush(cli_out());
    return code;
}
