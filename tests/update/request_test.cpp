#include "update/request.h"

#include <gtest/gtest.h>

namespace korrin::update {
namespace {

TEST(UpdateRequest, ReadsTheAddressAndBuildsTheExactBytes) {
    struct Case {
        std::string address;
        std::string host;
        int port;
        std::string request;
    };
    const Case cases[] = {
        {"example.net/d/", "example.net", 80,
         "GET /d/patch.dsc HTTP/1.0\r\nHost: example.net\r\n\r\n"},
        {"h/", "h", 80, "GET /patch.dsc HTTP/1.0\r\nHost: h\r\n\r\n"},
        {"h/a/b", "h", 80, "GET /a/b/patch.dsc HTTP/1.0\r\nHost: h\r\n\r\n"},
        {" \th/p/ ", "h", 80, "GET /p/patch.dsc HTTP/1.0\r\nHost: h\r\n\r\n"},
        {"HTTP://h:8080/x", "h", 8080, "GET /x/patch.dsc HTTP/1.0\r\nHost: h:8080\r\n\r\n"},
        {"[::1]:81/p/", "::1", 81, "GET /p/patch.dsc HTTP/1.0\r\nHost: [::1]:81\r\n\r\n"},
        {"/only/path/", "", 80, "GET /only/path/patch.dsc HTTP/1.0\r\nHost: \r\n\r\n"},
    };
    for (const Case& c : cases) {
        UpdateAddress read;
        ASSERT_TRUE(ReadUpdateAddress(c.address, &read).ok()) << c.address;
        EXPECT_EQ(read.host, c.host);
        EXPECT_EQ(read.port, c.port);
        EXPECT_EQ(BuildRequest(read.updatePath, read.HostHeader()), c.request);
    }
    const std::string bad(kBadAddressMessage);
    const std::pair<std::string, std::string> refused[] = {
        {"", bad},
        {"example.net\\d\\", bad},
        {"http://h", bad},
        {" https://h/p/", std::string(kHttpsMessage)},
        {"h:0/p/", "The port \"0\" of the update address is not a number from 1 to 65535"},
    };
    for (const auto& [address, message] : refused) {
        UpdateAddress read;
        EXPECT_EQ(ReadUpdateAddress(address, &read).reason, message) << address;
    }
}

}  // namespace
}  // namespace korrin::update
