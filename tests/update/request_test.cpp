#include "update/request.h"

#include <gtest/gtest.h>

namespace korrin::update {
namespace {

TEST(UpdateRequest, SplitsAtTheFirstSlashAndBuildsTheExactBytes) {
    struct Case {
        std::string address;
        std::string host;
        std::string request;
    };
    const Case cases[] = {
        {"example.net/d/", "example.net", "GET /d/patch.dsc HTTP/1.0\r\nHost: example.net\r\n\r\n"},
        {"example.net/", "example.net", "GET /patch.dsc HTTP/1.0\r\nHost: example.net\r\n\r\n"},
        {"h/a/b", "h", "GET /a/bpatch.dsc HTTP/1.0\r\nHost: h\r\n\r\n"},
        {" h /p/ ", " h ", "GET /p/ patch.dsc HTTP/1.0\r\nHost:  h \r\n\r\n"},
        {"http://h/", "http:", "GET //h/patch.dsc HTTP/1.0\r\nHost: http:\r\n\r\n"},
        {"/only/path/", "", "GET /only/path/patch.dsc HTTP/1.0\r\nHost: \r\n\r\n"},
    };
    for (const Case& c : cases) {
        const std::optional<UpdateAddress> split = SplitUpdateAddress(c.address);
        ASSERT_TRUE(split.has_value()) << c.address;
        EXPECT_EQ(split->host, c.host);
        EXPECT_EQ(BuildRequest(split->updatePath, split->host), c.request);
    }
    for (const char* bad : {"", "example.net", "example.net\\d\\"}) {
        EXPECT_EQ(SplitUpdateAddress(bad), std::nullopt) << bad;
    }
}

}  // namespace
}  // namespace korrin::update
