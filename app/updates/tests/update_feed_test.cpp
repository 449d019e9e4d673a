#include "app/updates/update_feed.h"

#include <gtest/gtest.h>

#include "app/updates/tests/feed_server.h"

namespace corvane::testing {
namespace {

const QByteArray document =
    R"({"version":"1.4.0","releasePage":"https://example.org/releases/1.4.0",)"
    R"("file":{"url":"https://example.org/files/corvane_1.4.0_amd64.deb",)"
    R"("sha256":"9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08"}})";

class UpdateFeedTest : public ::testing::Test {
protected:
    TestReleaseKey releaseKey;
    FeedPublicKey key = *decodePublicKey(releaseKey.publicBase64());
};

TEST_F(UpdateFeedTest, AFeedSignedWithTheReleaseKeyGivesTheRelease) {
    const FeedReading reading = readSignedFeed(releaseKey.feed(document), key);
    ASSERT_TRUE(reading.release) << reading.error.toStdString();
    EXPECT_EQ(reading.release->version, QStringLiteral("1.4.0"));
    EXPECT_EQ(reading.release->releasePage.toString(),
              QStringLiteral("https://example.org/releases/1.4.0"));
    ASSERT_TRUE(reading.release->file);
    EXPECT_EQ(reading.release->file->url.fileName(), QStringLiteral("corvane_1.4.0_amd64.deb"));
    EXPECT_EQ(reading.release->file->sha256.toHex(),
              "9f86d081884c7d659a2feaa0c55ad015a3bf4f1b2b0b822cd15d6c15b0f00a08");
}

TEST_F(UpdateFeedTest, AnythingButTheSignedBytesFailsVerification) {
    // One changed byte of the document, another key, a signature cut short.
    QByteArray changed = releaseKey.feed(document);
    changed.replace("1.4.0\\\",\\\"releasePage", "9.4.0\\\",\\\"releasePage");
    ASSERT_NE(changed, releaseKey.feed(document)) << "the test must change the signed text";
    const QString notVerified = QString::fromUtf8(feed_errors::notVerified);
    EXPECT_EQ(readSignedFeed(changed, key).error, notVerified);

    FeedPublicKey otherKey = key;
    otherKey[0] ^= 1;
    EXPECT_EQ(readSignedFeed(releaseKey.feed(document), otherKey).error, notVerified);

    const QByteArray shortSignature =
        R"({"feed":"{}","signature":")" + releaseKey.sign("{}").left(40).toBase64() + R"("})";
    EXPECT_EQ(readSignedFeed(shortSignature, key).error, notVerified);
    EXPECT_FALSE(readSignedFeed(changed, key).release);
}

TEST_F(UpdateFeedTest, ASignedDocumentThatMakesNoSenseIsRefused) {
    const QString notValid = QString::fromUtf8(feed_errors::notValid);
    for (const QByteArray& bad : {
             QByteArray(R"({"version":"1.x","releasePage":"https://example.org/"})"),
             QByteArray(R"({"version":"2.0","releasePage":"http://example.org/"})"),
             QByteArray(R"({"version":"2.0"})"),
             QByteArray(R"({"version":"2.0","releasePage":"https://example.org/",)"
                        R"("file":{"url":"https://example.org/f.deb","sha256":"abc"}})"),
             QByteArray(R"({"version":"2.0","releasePage":"https://example.org/",)"
                        R"("file":{"url":"https://example.org/","sha256":")" +
                        QByteArray(64, 'a') + R"("}})"),
             QByteArray("[1, 2]"),
         }) {
        const FeedReading reading = readSignedFeed(releaseKey.feed(bad), key);
        EXPECT_FALSE(reading.release) << bad.toStdString();
        EXPECT_EQ(reading.error, notValid) << bad.toStdString();
    }
    EXPECT_EQ(readSignedFeed("not json at all", key).error, notValid);
    EXPECT_EQ(readSignedFeed(releaseKey.feed(document).chopped(10), key).error, notValid);
}

// Made with the OpenSSL commands the README gives for signing a release.
TEST(UpdateFeedInteropTest, AFeedSignedWithOpenSslVerifies) {
    const auto key = decodePublicKey("xT0HiuURV+yH+UsQ7eY3y0+Fz7wPFN9G+HohMEz+sKg=");
    ASSERT_TRUE(key);
    const QByteArray feed =
        R"({"feed":"{\"version\":\"1.0.1\",\"releasePage\":\"https://example.org/releases/1.0.1\"}",)"
        R"("signature":"ZybFtY0hCY2UvsA43JQD8xpNUFXOiFml9qIBoVVCSYX1w2BUXwvZUfeRJKwmfHY5OGNk1YkiWlDdfnv9JJIMBg=="})";
    const FeedReading reading = readSignedFeed(feed, *key);
    ASSERT_TRUE(reading.release) << reading.error.toStdString();
    EXPECT_EQ(reading.release->version, QStringLiteral("1.0.1"));
}

TEST(UpdateFeedKeyTest, TheBuiltInKeyIsThirtyTwoBytesOfBase64) {
    EXPECT_TRUE(decodePublicKey(QByteArray(32, 'k').toBase64()));
    EXPECT_FALSE(decodePublicKey(QByteArray(31, 'k').toBase64()));
    EXPECT_FALSE(decodePublicKey(""));
    EXPECT_FALSE(decodePublicKey("not base64 !!"));
}

TEST(VersionTest, VersionsCompareNumberByNumber) {
    const auto v = [](const char* text) { return *parseVersion(QString::fromLatin1(text)); };
    EXPECT_TRUE(isNewerVersion(v("1.10.0"), v("1.9.3")));
    EXPECT_TRUE(isNewerVersion(v("0.2"), v("0.1.9")));
    EXPECT_TRUE(isNewerVersion(v("1.0.1"), v("1")));
    EXPECT_FALSE(isNewerVersion(v("1.0.0"), v("1")));
    EXPECT_FALSE(isNewerVersion(v("0.9.9"), v("1.0")));
    EXPECT_FALSE(isNewerVersion(v("1.2.3"), v("1.2.3")));
    for (const char* bad : {"", "1..2", "v1.2", "1.2-beta", " 1.2", "1.2.", "1234567890"})
        EXPECT_FALSE(parseVersion(QString::fromLatin1(bad))) << bad;
}

}  // namespace
}  // namespace corvane::testing
