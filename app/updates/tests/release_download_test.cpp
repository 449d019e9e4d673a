#include "app/updates/release_download.h"

#include <gtest/gtest.h>

#include <QCryptographicHash>
#include <QFile>
#include <QTemporaryDir>

namespace corvane::testing {
namespace {

void write(const QString& path, const QByteArray& bytes) {
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(bytes);
}

ReleaseFile releaseFile(const QString& url, const QByteArray& content) {
    return {QUrl(url), QCryptographicHash::hash(content, QCryptographicHash::Sha256)};
}

TEST(ReleaseDownloadTest, TheFileKeepsItsNameWithoutOverwritingAnotherFile) {
    QTemporaryDir dir;
    const ReleaseFile file =
        releaseFile(QStringLiteral("https://example.org/dl/corvane_2.0_amd64.deb"), "release");
    const QString plain = dir.filePath(QStringLiteral("corvane_2.0_amd64.deb"));
    EXPECT_EQ(ReleaseDownload::targetPath(file, dir.path()), plain);

    // The user's own file of that name stays; the release goes beside it.
    write(plain, "something else");
    const QString numbered = dir.filePath(QStringLiteral("corvane_2.0_amd64 (1).deb"));
    EXPECT_EQ(ReleaseDownload::targetPath(file, dir.path()), numbered);
    write(numbered, "something else again");
    EXPECT_EQ(ReleaseDownload::targetPath(file, dir.path()),
              dir.filePath(QStringLiteral("corvane_2.0_amd64 (2).deb")));

    // The same release downloaded before is found again.
    write(plain, "release");
    EXPECT_EQ(ReleaseDownload::targetPath(file, dir.path()), plain);
}

TEST(ReleaseDownloadTest, ANameThatWouldHideOrLeaveTheFolderIsRefused) {
    QTemporaryDir dir;
    for (const char* url : {"https://example.org/.bashrc", "https://example.org/",
                            "https://example.org/dl/.hidden.deb"}) {
        EXPECT_TRUE(
            ReleaseDownload::targetPath(releaseFile(QString::fromLatin1(url), "x"), dir.path())
                .isEmpty())
            << url;
    }
}

}  // namespace
}  // namespace corvane::testing
