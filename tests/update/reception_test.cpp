#include "update/reception.h"

#include <gtest/gtest.h>

#include "update/response.h"

namespace korrin::update {
namespace {

// After each batch: the announced length and the bar's width for a full width of 1000, or no
// width when the bar is to stay as it is.
struct Step {
    std::string batch;
    std::int32_t contentLength;
    std::optional<float> width;
};

TEST(Reception, ReadsTheAnnouncedLengthOnceItsLineIsComplete) {
    const std::string pad(55, 'p');  // makes the header below 100 bytes long
    const std::vector<std::vector<Step>> cases = {
        {{"HTTP/1.0 200 OK\r\nConte", 0, {}},
         {"nt-Length: 40\r", 0, {}},
         {"\n", 40, 925},
         {"0123456789", 40, 1175}},
        {{"Content-Length: 1", 0, {}}, {"00\r\n", 100, 210}},
        {{"Content-Length:1200\r\n", 200, 105}},
        {{"Content-Length:    50\r\n", 50, 460}},
        {{"Content-Length: 2.5\r\n", 2, 10500}},
        {{"Content-Length: 3.5\r\n", 4, 5250}},
        {{"Content-Length: &H10\r\n", 16, 1375}},
        {{"Content-Length: 2147483647\r\n", 2147483647, 28000 / 2147483647.0}},
        {{"Content-Length: 2147483648\r\n", 0, {}}},
        {{"Content-Length: -5\r\n", 0, {}}},
        {{"Content-Length: \r\n", 0, {}}},
        {{"Content-Length:\r\n5\r\n", 0, {}}},
        {{"Content-Length: x\r\nContent-Length: 5\r\n", 0, {}}},
        {{"content-length: 5\r\n", 0, {}}},
        {{"HTTP/1.0 200 OK\r\n\r\nbody Content-Length: 8\r\n", 8, 5375}},
        {{"HTTP/1.0 200 OK\r\nContent-Length: 400\r\nX: " + pad + "\r\n\r\n", 400, 250},
         {std::string(400, 'b'), 400, 1250}},
    };
    for (const std::vector<Step>& steps : cases) {
        Reception reception;
        std::string received;
        for (const Step& step : steps) {
            received += step.batch;
            reception.Append(step.batch);
            SCOPED_TRACE(received);
            EXPECT_EQ(reception.receiveBuffer(), received);
            EXPECT_EQ(reception.contentLength(), step.contentLength);
            const std::optional<double> share = reception.ReceivedShare();
            EXPECT_EQ(
                share ? std::optional<float>(static_cast<float>(*share * 1000)) : std::nullopt,
                step.width);
        }
    }
}

TEST(Reception, DropsAResponseOverTheLimit) {
    Reception reception;
    reception.Append("HTTP/1.0 200 OK\r\nContent-Length: 10\r\n\r\n");
    reception.Append(std::string(kMaxResponseBytes - reception.receiveBuffer().size(), 'x'));
    EXPECT_FALSE(reception.overLimit());
    EXPECT_EQ(reception.receiveBuffer().size(), kMaxResponseBytes);

    reception.Append("y");
    EXPECT_TRUE(reception.overLimit());
    EXPECT_EQ(reception.receiveBuffer(), "");
    EXPECT_EQ(reception.ReceivedShare(), std::nullopt);
    EXPECT_EQ(JudgeResponse(reception).message,
              "The update is larger than 64 MiB and was not used; no update was made.");

    reception.Clear();
    reception.Append("HTTP/1.0 200 OK\r\n\r\n");
    EXPECT_FALSE(reception.overLimit());
    EXPECT_TRUE(JudgeResponse(reception).usable);
}

}  // namespace
}  // namespace korrin::update
