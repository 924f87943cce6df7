// SPDX-License-Identifier: GPL-3.0-or-later
// pellucan-cli run as a program on the FAT fixture images: listings, written files, exit codes.
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <unistd.h>

namespace {

const QString fixture_dir = QStringLiteral(PELLUCAN_FIXTURE_DIR "/fat_images");

struct run_s {
    int code = -1;
    QByteArray out;
    QString err;
};

run_s run_cli(const QStringList& arguments)
{
    static int argc = 1;
    static char name[] = "cli_end_to_end_test";
    static char* argv[] = {name, nullptr};
    if (QCoreApplication::instance() == nullptr)
        new QCoreApplication(argc, argv);

    QProcess process;
    process.setProgram(QStringLiteral(PELLUCAN_CLI_PATH));
    process.setArguments(arguments);
    process.start();
    run_s result;
    if (!process.waitForFinished(120000) || process.exitStatus() != QProcess::NormalExit) {
        process.kill();
        process.waitForFinished();
        result.err = QStringLiteral("did not finish normally");
        return result;
    }
    result.code = process.exitCode();
    result.out = process.readAllStandardOutput();
    result.err = QString::fromUtf8(process.readAllStandardError());
    return result;
}

// Every line of standard output must be one JSON object; nothing else may be there.
QList<QJsonObject> json_lines(const QByteArray& out)
{
    QList<QJsonObject> objects;
    for (const QByteArray& line : out.split('\n')) {
        if (line.isEmpty())
            continue;
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(line, &error);
        EXPECT_EQ(error.error, QJsonParseError::NoError) << line.toStdString();
        EXPECT_TRUE(doc.isObject()) << line.toStdString();
        objects.append(doc.object());
    }
    return objects;
}

QByteArray read_all(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// The deleted files every fixture volume holds, with the file their content came from.
struct expected_file_s {
    const char* path;
    qint64 size;
    const char* original;  // under expected/
    bool contiguous;       // written back byte for byte
};

const expected_file_s expected_files[] = {
    {"#EADME.TXT", 1500, "README.TXT", true},
    {"#ONGFI~1.TXT", 3000, "Long File Name.txt", true},
    {"#ower.txt", 100, "lower.txt", true},
    {"#RAG.BIN", 2048, "FRAG.BIN", false},
    {"DIR1/#OTES.TXT", 5000, "NOTES.TXT", true},
    {"My Documents/#EPORT.DOC", 2500, "REPORT.DOC", true},
    {"#LDDIR/#.TXT", 1200, "A.TXT", true},
    {"#LDDIR/#.TXT", 800, "B.TXT", true},
    {"#\xe6\x96\x87.TXT", 300, "ZZZZ.TXT", true},
};

struct image_case_s {
    const char* label;
    const char* image;
    const char* partition;  // nullptr: a volume image
};

void PrintTo(const image_case_s& c, std::ostream* os)
{
    *os << c.label;
}

QStringList source_args(const image_case_s& c)
{
    QStringList args{fixture_dir + QLatin1Char('/') + QLatin1String(c.image)};
    if (c.partition != nullptr)
        args << QStringLiteral("--partition") << QLatin1String(c.partition);
    return args;
}

class CliOnImage : public ::testing::TestWithParam<image_case_s> {
protected:
    void SetUp() override
    {
        if (!QFileInfo::exists(fixture_dir + QLatin1Char('/') + QLatin1String(GetParam().image)))
            GTEST_SKIP() << "fixture images not unpacked";
        ASSERT_TRUE(temp.isValid());
    }
    QTemporaryDir temp;
};

TEST_P(CliOnImage, ScanListsTheDeletedFilesWithPathsAndSizes)
{
    const run_s run = run_cli(QStringList{QStringLiteral("scan")} + source_args(GetParam()) << QStringLiteral("--json"));
    ASSERT_EQ(run.code, 0) << run.err.toStdString();

    QList<QPair<QString, qint64>> listed;
    QList<qint64> ids;
    for (const QJsonObject& o : json_lines(run.out)) {
        const QString path = o.value(QStringLiteral("path")).toString();
        listed.append({path, o.value(QStringLiteral("size")).toInteger()});
        ids.append(o.value(QStringLiteral("id")).toInteger());
        EXPECT_TRUE(o.value(QStringLiteral("deleted")).toBool()) << path.toStdString();
        EXPECT_EQ(o.value(QStringLiteral("engine")).toString(), QStringLiteral("fat"));
        EXPECT_TRUE(path.endsWith(o.value(QStringLiteral("name")).toString()));
        EXPECT_NE(o.value(QStringLiteral("flags")).toInteger() & 0x40, 0);
        EXPECT_EQ(o.value(QStringLiteral("date1")).toInteger(), 1614834368) << path.toStdString();  // 2021-03-04 05:06:08
    }
    QList<QPair<QString, qint64>> wanted;
    for (const expected_file_s& e : expected_files)
        wanted.append({QString::fromUtf8(e.path), e.size});
    std::sort(listed.begin(), listed.end());
    std::sort(wanted.begin(), wanted.end());
    EXPECT_EQ(listed, wanted);
    std::sort(ids.begin(), ids.end());
    EXPECT_EQ(std::adjacent_find(ids.begin(), ids.end()), ids.end()) << "ids repeat";
}

TEST_P(CliOnImage, RecoverAllWritesTheContentBack)
{
    const QString out = temp.filePath(QStringLiteral("out"));
    const run_s run = run_cli(QStringList{QStringLiteral("recover")} + source_args(GetParam())
                              << QStringLiteral("--out") << out << QStringLiteral("--all") << QStringLiteral("--json"));
    ASSERT_EQ(run.code, 0) << run.err.toStdString();

    const QString root = QFileInfo(out).canonicalFilePath();
    QMultiHash<QString, QString> targets;  // volume path -> written file
    for (const QJsonObject& o : json_lines(run.out)) {
        const QString target = o.value(QStringLiteral("target")).toString();
        EXPECT_TRUE(o.value(QStringLiteral("ok")).toBool()) << target.toStdString();
        EXPECT_EQ(QFileInfo(target).size(), o.value(QStringLiteral("bytes")).toInteger());
        EXPECT_TRUE(QFileInfo(target).canonicalFilePath().startsWith(root + QLatin1Char('/'))) << target.toStdString();
        targets.insert(o.value(QStringLiteral("path")).toString(), target);
    }
    EXPECT_EQ(targets.size(), static_cast<qsizetype>(std::size(expected_files)));

    for (const expected_file_s& e : expected_files) {
        SCOPED_TRACE(e.path);
        const QByteArray original = read_all(fixture_dir + QStringLiteral("/expected/") + QString::fromUtf8(e.original));
        ASSERT_EQ(original.size(), e.size);
        bool found = false;
        for (const QString& target : targets.values(QString::fromUtf8(e.path))) {
            const QByteArray written = read_all(target);
            if (written.size() != e.size)
                continue;  // the other file of the same name
            found = true;
            if (e.contiguous) {
                EXPECT_EQ(written, original);
            }
        }
        EXPECT_TRUE(found);
    }
    // The two deleted files that both read "#.TXT" were both kept.
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/#LDDIR/#.TXT")));
    EXPECT_TRUE(QFileInfo::exists(out + QStringLiteral("/#LDDIR/# (2).TXT")));
}

INSTANTIATE_TEST_SUITE_P(Fixtures, CliOnImage,
                         ::testing::Values(image_case_s{"fat12", "fat12.img", nullptr},
                                           image_case_s{"fat16", "fat16.img", nullptr},
                                           image_case_s{"fat32", "fat32.img", nullptr},
                                           image_case_s{"disk_fat32", "disk_fat32.img", "1"}),
                         [](const ::testing::TestParamInfo<image_case_s>& info) { return info.param.label; });

class CliOnFat12 : public ::testing::Test {
protected:
    void SetUp() override
    {
        image = fixture_dir + QStringLiteral("/fat12.img");
        disk = fixture_dir + QStringLiteral("/disk_fat32.img");
        if (!QFileInfo::exists(image) || !QFileInfo::exists(disk))
            GTEST_SKIP() << "fixture images not unpacked";
        ASSERT_TRUE(temp.isValid());
        out = temp.filePath(QStringLiteral("out"));
    }
    QTemporaryDir temp;
    QString image;
    QString disk;
    QString out;
};

TEST_F(CliOnFat12, ExitCodesAndMessages)
{
    const QString text_file = temp.filePath(QStringLiteral("notes.txt"));
    {
        QFile f(text_file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(QByteArray(4096, 'x'));
    }
    // A volume of a file system no quick engine reads: the ext2 superblock magic 0xEF53
    // at byte 1024 + 56, with a block count and inode count that make it plausible.
    const QString ext2_image = temp.filePath(QStringLiteral("ext2.img"));
    {
        QByteArray volume(1 << 20, '\0');
        volume[1024 + 0] = char(128);     // s_inodes_count
        volume[1024 + 5] = char(1024 >> 8);  // s_blocks_count = 1024
        volume[1024 + 56] = char(0x53);   // s_magic
        volume[1024 + 57] = char(0xef);
        QFile f(ext2_image);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(volume);
    }
    struct code_case_s {
        QStringList args;
        int code;
        const char* message;  // part of standard error ("" = nothing in particular)
    };
    const QString o = QStringLiteral("--out");
    const QList<code_case_s> cases = {
        {{}, 2, "no command"},
        {{QStringLiteral("--help")}, 0, ""},
        {{QStringLiteral("recover"), QStringLiteral("--help")}, 0, ""},
        {{QStringLiteral("scan")}, 2, "needs a SOURCE"},
        {{QStringLiteral("scan"), image, QStringLiteral("--bogus")}, 2, "unknown option"},
        {{QStringLiteral("recover"), image, o, out}, 2, "one of --all"},
        {{QStringLiteral("recover"), image, o, out, QStringLiteral("--id"), QStringLiteral("999999")}, 2, "no file with id"},
        {{QStringLiteral("scan"), disk}, 2, "--partition 1"},
        {{QStringLiteral("scan"), disk, QStringLiteral("--partition"), QStringLiteral("7")}, 2, "no partition 7"},
        {{QStringLiteral("scan"), temp.filePath(QStringLiteral("missing.img"))}, 3, "cannot open"},
        {{QStringLiteral("scan"), text_file}, 3, "no file system"},
        {{QStringLiteral("scan"), QStringLiteral("/dev/null")}, 3, "neither a block device"},
        {{QStringLiteral("scan"), ext2_image}, 3, "EXT2"},
        {{QStringLiteral("recover"), ext2_image, o, out, QStringLiteral("--all")}, 3, "not supported"},
        {{QStringLiteral("scan"), image, QStringLiteral("--deep")}, 3, "not available in this build"},
        {{QStringLiteral("recover"), image, o, out, QStringLiteral("--all"), QStringLiteral("--from"),
          QStringLiteral("x.sav")}, 3, "not available in this build"},
        {{QStringLiteral("partitions"), disk}, 3, "not available in this build"},
        {{QStringLiteral("recover"), image, o, text_file + QStringLiteral("/sub"), QStringLiteral("--all")}, 4,
         "cannot create output folder"},
    };
    for (const code_case_s& c : cases) {
        SCOPED_TRACE(c.args.join(QLatin1Char(' ')).toStdString());
        const run_s run = run_cli(c.args);
        EXPECT_EQ(run.code, c.code) << run.err.toStdString();
        EXPECT_TRUE(run.err.contains(QLatin1String(c.message))) << run.err.toStdString();
    }
}

TEST_F(CliOnFat12, PlantedLinksInTheOutputFolderAreNotFollowed)
{
    const QString outside = temp.filePath(QStringLiteral("outside"));
    ASSERT_TRUE(QDir().mkpath(outside));
    ASSERT_TRUE(QDir().mkpath(out));
    const QString victim = outside + QStringLiteral("/victim.txt");
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep me");
    }
    ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(), QFile::encodeName(out + QStringLiteral("/DIR1")).constData()), 0);
    ASSERT_EQ(::symlink(QFile::encodeName(victim).constData(),
                        QFile::encodeName(out + QStringLiteral("/#EADME.TXT")).constData()), 0);

    const run_s run = run_cli({QStringLiteral("recover"), image, QStringLiteral("--out"), out, QStringLiteral("--all")});
    ASSERT_EQ(run.code, 0) << run.err.toStdString();
    EXPECT_EQ(read_all(victim), QByteArrayLiteral("keep me"));
    EXPECT_EQ(QDir(outside).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{QStringLiteral("victim.txt")});
    EXPECT_EQ(QFileInfo(out + QStringLiteral("/DIR1 (2)/#OTES.TXT")).size(), 5000);
    EXPECT_EQ(QFileInfo(out + QStringLiteral("/#EADME (2).TXT")).size(), 1500);
}

TEST_F(CliOnFat12, AFileThatCannotBeReadInFullIsReportedAsFailed)
{
    // A copy of the volume whose deleted README claims 1 MiB: more than the volume holds
    // after its first cluster, so the read must come back short.
    QByteArray volume = read_all(image);
    const QByteArray entry = QByteArrayLiteral("\xe5" "EADME  TXT");
    const qsizetype at = volume.indexOf(entry);
    ASSERT_GE(at, 0);
    ASSERT_EQ(at % 32, 0);
    ASSERT_EQ(volume.indexOf(entry, at + 1), -1);
    volume[at + 28] = 0;
    volume[at + 29] = 0;
    volume[at + 30] = 0x10;  // file size 0x00100000
    volume[at + 31] = 0;
    const QString damaged = temp.filePath(QStringLiteral("damaged.img"));
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(volume);
    }

    const run_s run = run_cli({QStringLiteral("recover"), damaged, QStringLiteral("--out"), out, QStringLiteral("--all"),
                               QStringLiteral("--json")});
    EXPECT_EQ(run.code, 4) << run.err.toStdString();
    int failed = 0;
    int written = 0;
    for (const QJsonObject& o : json_lines(run.out)) {
        const bool ok = o.value(QStringLiteral("ok")).toBool();
        if (o.value(QStringLiteral("path")).toString() == QStringLiteral("#EADME.TXT")) {
            EXPECT_FALSE(ok);
            EXPECT_LT(o.value(QStringLiteral("bytes")).toInteger(), 1 << 20);
            EXPECT_TRUE(o.value(QStringLiteral("error")).toString().contains(QStringLiteral("bytes could be read")));
        }
        ok ? ++written : ++failed;
    }
    EXPECT_EQ(failed, 1);
    EXPECT_EQ(written, static_cast<int>(std::size(expected_files)) - 1);
}

TEST_F(CliOnFat12, SelectionByIdAndPattern)
{
    const run_s scan = run_cli({QStringLiteral("scan"), image, QStringLiteral("--json")});
    ASSERT_EQ(scan.code, 0) << scan.err.toStdString();
    qint64 notes_id = -1;
    for (const QJsonObject& o : json_lines(scan.out)) {
        if (o.value(QStringLiteral("path")).toString() == QStringLiteral("DIR1/#OTES.TXT"))
            notes_id = o.value(QStringLiteral("id")).toInteger();
    }
    ASSERT_GE(notes_id, 0);

    struct pick_case_s {
        QStringList selection;
        QStringList paths;  // written, sorted
    };
    const QList<pick_case_s> cases = {
        {{QStringLiteral("--id"), QString::number(notes_id), QString::number(notes_id)}, {QStringLiteral("DIR1/#OTES.TXT")}},
        {{QStringLiteral("--match"), QStringLiteral("*.doc")}, {QStringLiteral("My Documents/#EPORT.DOC")}},
        {{QStringLiteral("--match"), QStringLiteral("#LDDIR/*")}, {QStringLiteral("#LDDIR/#.TXT"), QStringLiteral("#LDDIR/#.TXT")}},
        {{QStringLiteral("--match"), QStringLiteral("nothing-matches")}, {}},
    };
    int n = 0;
    for (const pick_case_s& c : cases) {
        SCOPED_TRACE(c.selection.join(QLatin1Char(' ')).toStdString());
        const QString dir = out + QString::number(++n);
        const run_s run = run_cli(QStringList{QStringLiteral("recover"), image, QStringLiteral("--out"), dir,
                                              QStringLiteral("--json")} + c.selection);
        EXPECT_EQ(run.code, 0) << run.err.toStdString();
        QStringList paths;
        for (const QJsonObject& o : json_lines(run.out))
            paths.append(o.value(QStringLiteral("path")).toString());
        paths.sort();
        EXPECT_EQ(paths, c.paths);
    }
}

TEST_F(CliOnFat12, TraceLinesNeverReachStandardOutput)
{
    const run_s quiet = run_cli({QStringLiteral("scan"), image});
    ASSERT_EQ(quiet.code, 0);
    EXPECT_FALSE(quiet.out.contains("file count:"));
    EXPECT_FALSE(quiet.err.contains(QStringLiteral("file count:")));
    EXPECT_TRUE(quiet.out.contains("DIR1/#OTES.TXT"));

    const run_s traced = run_cli({QStringLiteral("scan"), image, QStringLiteral("--json"), QStringLiteral("--trace")});
    ASSERT_EQ(traced.code, 0);
    EXPECT_TRUE(traced.err.contains(QStringLiteral("Start Fat Scan.")));
    EXPECT_TRUE(traced.err.contains(QStringLiteral("file count:")));
    EXPECT_EQ(json_lines(traced.out).size(), static_cast<qsizetype>(std::size(expected_files)));
}

}  // namespace
