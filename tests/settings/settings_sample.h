// A filled settings record and a field-by-field comparison, shared by the store's tests.
#ifndef QUORVEL_TESTS_SETTINGS_SAMPLE_H
#define QUORVEL_TESTS_SETTINGS_SAMPLE_H

#include <stdio.h>

#include <string>

#include <gtest/gtest.h>

#include "settings/settings.h"

// Every field set, texts at their edges: empty, 16 characters in a start or end
// field, 256 characters in each long field.
inline void FillSample(Settings& s) {
    s.posx = 120;
    s.posy = 80;
    s.width = 640;
    s.height = 480;
    s.version = 3; // a key written by another version loads the same way
    s.flags = FLAG_USE_A | FLAG_USE_C;
    snprintf(s.Astart, sizeof s.Astart, "%s", "01");
    snprintf(s.Aend, sizeof s.Aend, "%s", "99");
    snprintf(s.Bstart, sizeof s.Bstart, "%s", "");
    snprintf(s.Bend, sizeof s.Bend, "%s", "7");
    snprintf(s.Cstart, sizeof s.Cstart, "%s", "0000000000000001");
    snprintf(s.Cend, sizeof s.Cend, "%s", "9999999999999999");
    snprintf(s.URL, sizeof s.URL, "%s", std::string(256, 'u').c_str());
    snprintf(s.DownloadDestination, sizeof s.DownloadDestination, "%s",
             std::string(256, 'd').c_str());
    snprintf(s.Filename, sizeof s.Filename, "%s", std::string(256, 'f').c_str());
}

inline void ExpectSameSettings(const Settings& expected, const Settings& actual) {
    EXPECT_EQ(expected.posx, actual.posx);
    EXPECT_EQ(expected.posy, actual.posy);
    EXPECT_EQ(expected.width, actual.width);
    EXPECT_EQ(expected.height, actual.height);
    EXPECT_EQ(expected.version, actual.version);
    EXPECT_EQ(expected.flags, actual.flags);
    EXPECT_STREQ(expected.Astart, actual.Astart);
    EXPECT_STREQ(expected.Aend, actual.Aend);
    EXPECT_STREQ(expected.Bstart, actual.Bstart);
    EXPECT_STREQ(expected.Bend, actual.Bend);
    EXPECT_STREQ(expected.Cstart, actual.Cstart);
    EXPECT_STREQ(expected.Cend, actual.Cend);
    EXPECT_STREQ(expected.URL, actual.URL);
    EXPECT_STREQ(expected.DownloadDestination, actual.DownloadDestination);
    EXPECT_STREQ(expected.Filename, actual.Filename);
}

#endif
