// SPDX-License-Identifier: GPL-3.0-or-later
// Output paths: hostile names stay one entry inside the folder, planted links are not followed.
#include "engines/extract/output_path.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

namespace {

struct name_case_s {
    const char* label;
    QString input;
    QString expected;
};

QString utf16_with(const char16_t* text, qsizetype size)
{
    return QString(reinterpret_cast<const QChar*>(text), size);
}

TEST(SanitizeName, ReplacesWhatIsNotAllowedAndKeepsTheRest)
{
    const char16_t lone_high[] = {u'a', 0xd800, u'b'};
    const char16_t with_nul[] = {u'x', 0, u'y'};
    const name_case_s cases[] = {
        {"slash", QStringLiteral("a/b"), QStringLiteral("a_b")},
        {"only slashes", QStringLiteral("//"), QStringLiteral("__")},
        {"dot", QStringLiteral("."), QStringLiteral("_")},
        {"dot dot", QStringLiteral(".."), QStringLiteral("__")},
        {"parent path", QStringLiteral("../../etc"), QStringLiteral(".._.._etc")},
        {"empty", QString(), QStringLiteral("_")},
        {"nul", utf16_with(with_nul, 3), QStringLiteral("x_y")},
        {"control", QStringLiteral("tab\there\x1b"), QStringLiteral("tab_here_")},
        {"delete and C1", QString::fromUtf8("a\x7f" "b\xc2\x85"), QStringLiteral("a_b_")},
        {"lone surrogate", utf16_with(lone_high, 3), QString::fromUtf8("a\xef\xbf\xbd" "b")},
        {"three dots stay", QStringLiteral("..."), QStringLiteral("...")},
        {"deleted marker stays", QStringLiteral("#EPORT.TXT"), QStringLiteral("#EPORT.TXT")},
        {"unicode stays", QString::fromUtf8("\xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x93\xb7.jpg"),
         QString::fromUtf8("\xe6\x97\xa5\xe6\x9c\xac \xf0\x9f\x93\xb7.jpg")},
        {"backslash stays", QStringLiteral("a\\b"), QStringLiteral("a\\b")},
    };
    for (const name_case_s& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(sanitize_name(c.input), c.expected);
    }
}

TEST(SanitizeName, LongNamesAreCutOnCharacterBoundariesKeepingTheExtension)
{
    struct long_case_s {
        const char* label;
        QString unit;  // repeated to make the stem
        QString extension;
    };
    const long_case_s cases[] = {
        {"ascii", QStringLiteral("a"), QStringLiteral(".jpg")},
        {"two-byte", QString::fromUtf8("\xc3\xa9"), QStringLiteral(".txt")},
        {"three-byte", QString::fromUtf8("\xe6\x97\xa5"), QStringLiteral(".doc")},
        {"surrogate pairs", QString::fromUtf8("\xf0\x9f\x93\xb7"), QStringLiteral(".png")},
    };
    for (const long_case_s& c : cases) {
        SCOPED_TRACE(c.label);
        const QString name = c.unit.repeated(300) + c.extension;
        const QString clean = sanitize_name(name);
        const QByteArray utf8 = clean.toUtf8();
        EXPECT_LE(utf8.size(), output_name_max);
        EXPECT_GT(utf8.size(), output_name_max - 4);
        EXPECT_TRUE(clean.endsWith(c.extension));
        EXPECT_EQ(QString::fromUtf8(utf8), clean);  // no half characters
        EXPECT_FALSE(clean.contains(QChar(0xfffd)));

        const QString numbered = numbered_name(clean, 123);
        EXPECT_LE(numbered.toUtf8().size(), output_name_max);
        EXPECT_TRUE(numbered.endsWith(QStringLiteral(" (123)") + c.extension));
    }
}

TEST(NumberedName, PutsTheNumberBeforeTheExtension)
{
    EXPECT_EQ(numbered_name(QStringLiteral("a.txt"), 1), QStringLiteral("a.txt"));
    EXPECT_EQ(numbered_name(QStringLiteral("a.txt"), 2), QStringLiteral("a (2).txt"));
    EXPECT_EQ(numbered_name(QStringLiteral(".profile"), 3), QStringLiteral(".profile (3)"));
    EXPECT_EQ(numbered_name(QStringLiteral("DOCS"), 2), QStringLiteral("DOCS (2)"));
}

class OutputFolder : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(temp.isValid());
        out = temp.filePath(QStringLiteral("out"));
        outside = temp.filePath(QStringLiteral("outside"));
        ASSERT_TRUE(QDir().mkpath(outside));
        QString error;
        ASSERT_EQ(open_output_root(out, &root_fd, &error), 0) << error.toStdString();
    }
    void TearDown() override
    {
        if (root_fd >= 0)
            ::close(root_fd);
    }

    // Writes `data` the way an engine does: by the target's path, never following a link.
    static void write_through_path(const output_target_s& target, const QByteArray& data)
    {
        const int fd = ::open(QFile::encodeName(target.open_path).constData(),
                              O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0644);
        ASSERT_GE(fd, 0) << target.open_path.toStdString();
        ASSERT_EQ(::write(fd, data.constData(), data.size()), data.size());
        ::close(fd);
    }

    bool inside_out(const QString& relative) const
    {
        const QString real = QFileInfo(out + QLatin1Char('/') + relative).canonicalFilePath();
        const QString root = QFileInfo(out).canonicalFilePath();
        return !real.isEmpty() && real.startsWith(root + QLatin1Char('/'));
    }

    QTemporaryDir temp;
    QString out;
    QString outside;
    int root_fd = -1;
};

TEST_F(OutputFolder, HostileNamesLandInsideTheFolder)
{
    const QStringList dirs = {QStringLiteral(".."), QStringLiteral("../.."), QStringLiteral("/etc"),
                              QString()};
    output_target_s target;
    QString error;
    ASSERT_EQ(prepare_output_file(root_fd, dirs, QStringLiteral("../passwd"), &target, &error), 0)
        << error.toStdString();
    write_through_path(target, QByteArrayLiteral("data"));
    EXPECT_EQ(target.relative_path, QStringLiteral("__/.._../_etc/_/.._passwd"));
    close_output_target(&target);
    EXPECT_EQ(target.file_fd, -1);
    EXPECT_TRUE(inside_out(target.relative_path));
    QFile written(out + QLatin1Char('/') + target.relative_path);
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_EQ(written.readAll(), QByteArrayLiteral("data"));
    EXPECT_TRUE(QDir(outside).isEmpty());
}

TEST_F(OutputFolder, PlantedLinksAreNeverFollowed)
{
    // A directory link and a file link with the names the volume will ask for.
    ASSERT_EQ(::symlink(QFile::encodeName(outside).constData(),
                        QFile::encodeName(out + QStringLiteral("/DOCS")).constData()), 0);
    const QString victim = outside + QStringLiteral("/victim");
    {
        QFile f(victim);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("keep");
    }
    ASSERT_EQ(::symlink(QFile::encodeName(victim).constData(),
                        QFile::encodeName(out + QStringLiteral("/a.txt")).constData()), 0);

    output_target_s in_dir;
    output_target_s file;
    QString error;
    ASSERT_EQ(prepare_output_file(root_fd, {QStringLiteral("DOCS")}, QStringLiteral("x.txt"), &in_dir, &error), 0)
        << error.toStdString();
    ASSERT_EQ(prepare_output_file(root_fd, {}, QStringLiteral("a.txt"), &file, &error), 0) << error.toStdString();
    write_through_path(in_dir, QByteArrayLiteral("one"));
    write_through_path(file, QByteArrayLiteral("two"));
    EXPECT_EQ(in_dir.relative_path, QStringLiteral("DOCS (2)/x.txt"));
    EXPECT_EQ(file.relative_path, QStringLiteral("a (2).txt"));
    close_output_target(&in_dir);
    close_output_target(&file);

    QFile kept(victim);
    ASSERT_TRUE(kept.open(QIODevice::ReadOnly));
    EXPECT_EQ(kept.readAll(), QByteArrayLiteral("keep"));
    EXPECT_EQ(QDir(outside).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList{QStringLiteral("victim")});
    EXPECT_TRUE(inside_out(in_dir.relative_path));
    EXPECT_TRUE(inside_out(file.relative_path));
}

TEST_F(OutputFolder, CollisionsGetNumberedAndDirectoriesAreShared)
{
    // A regular file where a directory should go is left alone as well.
    {
        QFile f(out + QStringLiteral("/PICS"));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    QStringList made;
    for (int i = 0; i < 3; ++i) {
        output_target_s target;
        QString error;
        ASSERT_EQ(prepare_output_file(root_fd, {QStringLiteral("DOCS"), QStringLiteral("PICS")},
                                      QStringLiteral("#OTE.TXT"), &target, &error), 0)
            << error.toStdString();
        made.append(target.relative_path);
        close_output_target(&target);
    }
    EXPECT_EQ(made, (QStringList{QStringLiteral("DOCS/PICS/#OTE.TXT"), QStringLiteral("DOCS/PICS/#OTE (2).TXT"),
                                 QStringLiteral("DOCS/PICS/#OTE (3).TXT")}));
    output_target_s top;
    QString error;
    ASSERT_EQ(prepare_output_file(root_fd, {QStringLiteral("PICS")}, QStringLiteral("y"), &top, &error), 0);
    EXPECT_EQ(top.relative_path, QStringLiteral("PICS (2)/y"));
    close_output_target(&top);
}

TEST_F(OutputFolder, RootThatCannotBeCreatedIsReported)
{
    const QString file_path = temp.filePath(QStringLiteral("plain"));
    {
        QFile f(file_path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    int fd = -1;
    QString error;
    EXPECT_EQ(open_output_root(file_path + QStringLiteral("/sub"), &fd, &error), -1);
    EXPECT_EQ(fd, -1);
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(open_output_root(QString(), &fd, &error), -1);
}

TEST(FolderOnVolume, ComparesFileSystemIdentity)
{
    QTemporaryDir temp;
    ASSERT_TRUE(temp.isValid());
    const QString missing = temp.filePath(QStringLiteral("not/yet/made"));
    const QString image = temp.filePath(QStringLiteral("volume.img"));
    {
        QFile f(image);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
    }
    // Mounted at the folder's own file system: on the volume, also for a folder still to make.
    EXPECT_EQ(folder_on_volume(missing, image, {temp.path()}), 1);
    EXPECT_EQ(folder_on_volume(temp.path(), image, {temp.path()}), 1);
    // An image file is no block device, and /proc is another file system.
    EXPECT_EQ(folder_on_volume(missing, image, {}), 0);
    EXPECT_EQ(folder_on_volume(missing, image, {QStringLiteral("/proc"), image}), 0);
    EXPECT_EQ(folder_on_volume(QStringLiteral("relative/path"), QString(), {}), 0);
}

}  // namespace
