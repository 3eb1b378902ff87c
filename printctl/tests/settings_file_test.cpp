// The settings file's number form against C's own "%.15G", and its independence of the locale.
#include "printctl/settings_file.h"
#include "testsupport/test_files.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <random>

using printctl::settings_file::Decode;
using printctl::settings_file::FormatNumber;

namespace {

std::string printfForm(double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, "%.15G", value);
    return buf;
}

TEST(SettingsFileNumberTest, WritesWhatPrintfsFifteenDigitGeneralFormWritesAndReadsItBack) {
    std::mt19937_64 random(12345);
    std::uniform_real_distribution<double> mantissa(-10, 10);
    std::uniform_int_distribution<int> exponent(-20, 20);
    std::vector<double> values = {
        0,       -0.0,     0.1,   12.5, 1E-05, 0.0001, 123456789012345, 1E+15, 999999999999999.5,
        1.0 / 3, 2.5e-300, 5e-324};
    for (int i = 0; i < 20000; ++i)
        values.push_back(mantissa(random) * std::pow(10.0, exponent(random)));
    for (double value : values) {
        auto text = FormatNumber(value);
        ASSERT_TRUE(text.has_value());
        ASSERT_EQ(*text, printfForm(value)) << value;
        // Reading the text gives the value the text stands for, to the last bit.
        auto read = Decode("\"p\"," + *text + ",0,0,0\r\n").top;
        ASSERT_EQ(read, std::strtod(text->c_str(), nullptr)) << *text;
    }
    EXPECT_FALSE(FormatNumber(INFINITY).has_value());
    // The largest double rounds up past itself in 15 digits; it is refused rather than written
    // into a file that cannot be read again.
    printctl::settings_file::Contents huge{"p", 1.7976931348623157e308, 0, 0, 0};
    EXPECT_FALSE(printctl::settings_file::Encode(huge).problem.empty());
    EXPECT_FALSE(FormatNumber(NAN).has_value());
}

TEST(SettingsFileNumberTest, ALocaleWithADecimalCommaChangesNothing) {
    const char* previous = std::setlocale(LC_NUMERIC, nullptr);
    std::string saved = previous ? previous : "C";
    // Qt programs run in the user's locale, where printf and strtod use a decimal comma.
    testsupport::ScratchDir compiled;
    if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8")) {
        std::string command = "localedef -i de_DE -f UTF-8 '" + compiled.path().string() +
                              "/de_DE.UTF-8' >/dev/null 2>&1";
        if (std::system(command.c_str()) == 0)
            ::setenv("LOCPATH", compiled.path().c_str(), 1);
        if (!std::setlocale(LC_NUMERIC, "de_DE.UTF-8"))
            GTEST_SKIP() << "no German locale and no localedef to make one (package locales)";
    }
    char probe[16];
    std::snprintf(probe, sizeof probe, "%.1f", 1.5);
    auto text = FormatNumber(12.5);
    auto read = Decode("\"p\",12.5,0,0,0\r\n").top;
    std::setlocale(LC_NUMERIC, saved.c_str());
    ::unsetenv("LOCPATH");
    EXPECT_STREQ(probe, "1,5"); // the locale is in force
    EXPECT_EQ(text, "12.5");
    EXPECT_EQ(read, 12.5);
}

TEST(SettingsFileNameTest, KeepsCommasAndBlanksInsideTheQuotes) {
    auto contents = Decode("\"a, b \" ,1,2,3,4\r\n");
    EXPECT_EQ(contents.printer, "a, b ");
    EXPECT_EQ(contents.right, 4);
    EXPECT_THROW(Decode("\"a\" x,1,2,3,4\r\n"), std::runtime_error);
}

} // namespace
