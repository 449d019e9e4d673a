#include "app/updates/update_url.h"

#include <gtest/gtest.h>

namespace corvane::testing {
namespace {

TEST(UpdateUrlTest, OnlyHttpsIsFetchedExceptLoopbackHttpInTests) {
    EXPECT_TRUE(isAcceptedUpdateUrl(QUrl("https://example.org/feed.json"), false));
    EXPECT_FALSE(isAcceptedUpdateUrl(QUrl("http://example.org/feed.json"), false));
    EXPECT_FALSE(isAcceptedUpdateUrl(QUrl("http://127.0.0.1:8080/feed.json"), false));
    EXPECT_TRUE(isAcceptedUpdateUrl(QUrl("http://127.0.0.1:8080/feed.json"), true));
    EXPECT_TRUE(isAcceptedUpdateUrl(QUrl("http://localhost:8080/feed.json"), true));
    EXPECT_TRUE(isAcceptedUpdateUrl(QUrl("http://[::1]:8080/feed.json"), true));
    EXPECT_FALSE(isAcceptedUpdateUrl(QUrl("http://example.org/feed.json"), true));
    EXPECT_FALSE(isAcceptedUpdateUrl(QUrl("file:///etc/passwd"), true));
    EXPECT_FALSE(isAcceptedUpdateUrl(QUrl("ftp://127.0.0.1/feed.json"), true));
    EXPECT_FALSE(isAcceptedUpdateUrl(QUrl(), true));
}

TEST(UpdateUrlTest, LoopbackIsLocalhostTheWholeOf127AndIpv6One) {
    for (const char* host : {"localhost", "LocalHost", "127.0.0.1", "127.255.3.9", "::1"})
        EXPECT_TRUE(isLoopbackHost(QString::fromLatin1(host))) << host;
    // Look-alikes that lead elsewhere: other networks, names that merely start
    // like this machine, malformed numbers.
    for (const char* host :
         {"", "128.0.0.1", "10.0.0.1", "0.0.0.0", "::", "::2", "localhost.example.org",
          "127.0.0.1.example.org", "127.example.org", "127.0.0.256", "127.0.0", "127.0.0.1.5",
          "127.0.0.-1", "127.0.0.+1", "127..0.1", "127.0.0.0001", "notlocalhost"})
        EXPECT_FALSE(isLoopbackHost(QString::fromLatin1(host))) << host;
}

}  // namespace
}  // namespace corvane::testing
