#include "core/uuid.h"

#include <gtest/gtest.h>

#include <set>

namespace corvane {
namespace {

TEST(Uuid, RandomIdsAreVersionFourAndDistinct) {
    std::set<Uuid> seen;
    for (int i = 0; i < 1000; ++i) {
        const Uuid id = Uuid::random();
        EXPECT_EQ(id.bytes()[6] >> 4, 4);
        EXPECT_EQ(id.bytes()[8] >> 6, 2);
        seen.insert(id);
    }
    EXPECT_EQ(seen.size(), 1000u);
}

TEST(Uuid, TextIsUpperCaseEightFourFourFourTwelve) {
    const auto id = Uuid::parse("e621e1f8-c36c-495a-93fc-0c247a3e6e5f");
    ASSERT_TRUE(id);
    EXPECT_EQ(id->text(), "E621E1F8-C36C-495A-93FC-0C247A3E6E5F");
    EXPECT_EQ(Uuid().text(), "00000000-0000-0000-0000-000000000000");
}

TEST(Uuid, ParsesEitherCaseToTheSameValueAndRoundTrips) {
    const Uuid id = Uuid::random();
    std::string lower = id.text();
    for (char& c : lower) c = char(std::tolower(static_cast<unsigned char>(c)));
    EXPECT_EQ(Uuid::parse(id.text()), id);
    EXPECT_EQ(Uuid::parse(lower), id);
}

TEST(Uuid, RefusesAnythingButTheCanonicalShape) {
    for (const char* text : {
             "",
             "E621E1F8C36C495A93FC0C247A3E6E5F",        // no dashes
             "E621E1F8-C36C-495A-93FC-0C247A3E6E5",     // one digit short
             "E621E1F8-C36C-495A-93FC-0C247A3E6E5F0",   // one digit long
             "E621E1F8-C36C-495A-93FC_0C247A3E6E5F",    // wrong separator
             "E621E1F-8C36C-495A-93FC-0C247A3E6E5F",    // dash in the wrong place
             "G621E1F8-C36C-495A-93FC-0C247A3E6E5F",    // not hex
             "{E621E1F8-C36C-495A-93FC-0C247A3E6E5F}",  // braces
             " E621E1F8-C36C-495A-93FC-0C247A3E6E5F",   // padding
         }) {
        EXPECT_FALSE(Uuid::parse(text)) << text;
    }
}

}  // namespace
}  // namespace corvane
