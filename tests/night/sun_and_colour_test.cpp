// The sun against the U.S. Naval Observatory's published rise, set and civil twilight
// times (whole minutes, UTC), and colour temperatures against the CIE illuminants.
#include "core/night/cities.h"
#include "core/night/colour_temperature.h"
#include "core/night/sun.h"
#include "night_test_support.h"

#include <cmath>
#include <gtest/gtest.h>

namespace ocuvell::test {
namespace {

constexpr double kRise = kSunriseZenith;
constexpr double kCivil = 96;

struct Published {
    const char* what;
    GeoPoint place;
    long long near; // within the solar day the table's line is for
    double zenith;
    bool rising;
    long long at; // the table's minute
};

const GeoPoint kOslo{59.9139, 10.7522}, kQuito{-0.1807, -78.4678}, kSydney{-33.8688, 151.2093},
    kReykjavik{64.1466, -21.9426}, kUshuaia{-54.8019, -68.3030}, kLondon{51.5074, -0.1278},
    kAtlanta{33.8, -84.4}, kNorth70{70, 0};

const Published kTable[] = {
    {"Oslo midsummer rise", kOslo, utcOf(2025, 6, 21, 11), kRise, true, utcOf(2025, 6, 21, 1, 54)},
    {"Oslo midsummer set", kOslo, utcOf(2025, 6, 21, 11), kRise, false, utcOf(2025, 6, 21, 20, 44)},
    {"Oslo midsummer dawn", kOslo, utcOf(2025, 6, 21, 11), kCivil, true, utcOf(2025, 6, 21, 0, 10)},
    {"Oslo midsummer dusk", kOslo, utcOf(2025, 6, 21, 11), kCivil, false,
     utcOf(2025, 6, 21, 22, 28)},
    {"Oslo midwinter rise", kOslo, utcOf(2025, 12, 21, 11), kRise, true,
     utcOf(2025, 12, 21, 8, 18)},
    {"Oslo midwinter set", kOslo, utcOf(2025, 12, 21, 11), kRise, false,
     utcOf(2025, 12, 21, 14, 12)},
    {"Oslo midwinter dawn", kOslo, utcOf(2025, 12, 21, 11), kCivil, true,
     utcOf(2025, 12, 21, 7, 21)},
    {"Oslo midwinter dusk", kOslo, utcOf(2025, 12, 21, 11), kCivil, false,
     utcOf(2025, 12, 21, 15, 10)},
    {"Quito equinox rise", kQuito, utcOf(2025, 3, 20, 17), kRise, true, utcOf(2025, 3, 20, 11, 18)},
    {"Quito equinox set", kQuito, utcOf(2025, 3, 20, 17), kRise, false, utcOf(2025, 3, 20, 23, 24)},
    {"Quito equinox dawn", kQuito, utcOf(2025, 3, 20, 17), kCivil, true,
     utcOf(2025, 3, 20, 10, 57)},
    {"Quito equinox dusk", kQuito, utcOf(2025, 3, 20, 17), kCivil, false,
     utcOf(2025, 3, 20, 23, 45)},
    {"Sydney September set", kSydney, utcOf(2025, 9, 22, 2), kRise, false,
     utcOf(2025, 9, 22, 7, 51)},
    // Local 05:44 on the 23rd is 19:44 UTC on the 22nd.
    {"Sydney September rise", kSydney, utcOf(2025, 9, 23, 2), kRise, true,
     utcOf(2025, 9, 22, 19, 44)},
    {"Reykjavik midwinter rise", kReykjavik, utcOf(2025, 12, 21, 13), kRise, true,
     utcOf(2025, 12, 21, 11, 22)},
    {"Reykjavik midwinter set", kReykjavik, utcOf(2025, 12, 21, 13), kRise, false,
     utcOf(2025, 12, 21, 15, 30)},
    {"Reykjavik midwinter dawn", kReykjavik, utcOf(2025, 12, 21, 13), kCivil, true,
     utcOf(2025, 12, 21, 10, 3)},
    {"Reykjavik midwinter dusk", kReykjavik, utcOf(2025, 12, 21, 13), kCivil, false,
     utcOf(2025, 12, 21, 16, 49)},
    {"Ushuaia midsummer rise", kUshuaia, utcOf(2025, 12, 21, 16), kRise, true,
     utcOf(2025, 12, 21, 7, 52)},
    {"Ushuaia midsummer set", kUshuaia, utcOf(2025, 12, 21, 16), kRise, false,
     utcOf(2025, 12, 22, 1, 11)},
    {"London midsummer rise", kLondon, utcOf(2025, 6, 21, 12), kRise, true,
     utcOf(2025, 6, 21, 3, 43)},
    {"London midsummer set", kLondon, utcOf(2025, 6, 21, 12), kRise, false,
     utcOf(2025, 6, 21, 20, 22)},
    {"London midsummer dawn", kLondon, utcOf(2025, 6, 21, 12), kCivil, true,
     utcOf(2025, 6, 21, 2, 55)},
    {"London midsummer dusk", kLondon, utcOf(2025, 6, 21, 12), kCivil, false,
     utcOf(2025, 6, 21, 21, 9)},
    {"Atlanta September rise", kAtlanta, utcOf(2009, 9, 6, 17), kRise, true,
     utcOf(2009, 9, 6, 11, 15)},
    {"Atlanta September set", kAtlanta, utcOf(2009, 9, 6, 17), kRise, false,
     utcOf(2009, 9, 6, 23, 56)},
    {"Atlanta September dawn", kAtlanta, utcOf(2009, 9, 6, 17), kCivil, true,
     utcOf(2009, 9, 6, 10, 50)},
    {"Atlanta September dusk", kAtlanta, utcOf(2009, 9, 6, 17), kCivil, false,
     utcOf(2009, 9, 7, 0, 21)},
    {"70 N polar-night dawn", kNorth70, utcOf(2025, 12, 21, 12), kCivil, true,
     utcOf(2025, 12, 21, 9, 55)},
    {"70 N polar-night dusk", kNorth70, utcOf(2025, 12, 21, 12), kCivil, false,
     utcOf(2025, 12, 21, 14, 2)},
};

TEST(Sun, CrossingsMatchPublishedTablesWithinAMinute) {
    for (const Published& p : kTable) {
        const std::optional<long long> t = sunCrossing(p.near, p.place, p.zenith, p.rising);
        ASSERT_TRUE(t) << p.what;
        EXPECT_LE(std::llabs(*t - p.at), 60) << p.what << ": off by " << *t - p.at << " s";
        // The crossing is where the elevation says it is.
        EXPECT_NEAR(sunElevation(*t, p.place), 90 - p.zenith, 0.01) << p.what;
    }
}

// The U.S. Naval Observatory's "Rise and Set for the Sun for 2008" (Astronomical
// Applications Dept.) for W121°55′ N37°24′ (Cupertino, California), in its zone 8h west of
// Greenwich all year: the first of each month, hhmm.
TEST(Sun, AYearOfPublishedRisesAndSetsAtOnePlaceWithinAMinute) {
    const GeoPoint cupertino{37 + 24 / 60.0, -(121 + 55 / 60.0)};
    constexpr int kRiseSet[12][2] = {{722, 1700}, {711, 1732}, {638, 1802}, {552, 1831},
                                     {512, 1858}, {448, 1923}, {451, 1932}, {512, 1915},
                                     {539, 1836}, {604, 1750}, {633, 1709}, {704, 1650}};
    for (int month = 1; month <= 12; ++month) {
        const long long midnight = utcOf(2008, month, 1, 8); // local standard time
        for (const bool rising : {true, false}) {
            const int hhmm = kRiseSet[month - 1][rising ? 0 : 1];
            const long long table = midnight + hhmm / 100 * 3600 + hhmm % 100 * 60;
            const std::optional<long long> t =
                sunCrossing(midnight + 12 * 3600, cupertino, kRise, rising);
            ASSERT_TRUE(t) << month;
            EXPECT_LE(std::llabs(*t - table), 60)
                << "month " << month << (rising ? " rise" : " set");
        }
    }
}

TEST(Sun, PolarDayAndNightHaveNoEventNotNaN) {
    for (const long long day : {utcOf(2025, 6, 21, 12), utcOf(2025, 12, 21, 12)}) {
        EXPECT_EQ(sunrise(day, kNorth70), std::nullopt);
        EXPECT_EQ(sunset(day, kNorth70), std::nullopt);
        EXPECT_EQ(sunrise(day, GeoPoint{-89.9, 0}), std::nullopt);
        EXPECT_EQ(sunrise(day, GeoPoint{90, 0}), std::nullopt);
    }
    EXPECT_FALSE(std::isnan(sunElevation(utcOf(2025, 6, 21), GeoPoint{90, 0})));
}

TEST(Sun, ShanghaiSunriseFallsOnThePreviousUtcDate) {
    const GeoPoint shanghai = cityOfZone("Asia/Shanghai")->point;
    // Local noon of 2025-06-21 in UTC+8.
    const long long noon = utcOf(2025, 6, 21, 4);
    const long long rise = *sunrise(noon, shanghai);
    const long long set = *sunset(noon, shanghai);
    EXPECT_LT(rise, utcOf(2025, 6, 21)); // 20:5x UTC on the 20th
    EXPECT_GT(rise, utcOf(2025, 6, 20, 20));
    EXPECT_LT(rise, set);
    EXPECT_GT(set, utcOf(2025, 6, 21, 10)); // about 19:00 local
    EXPECT_LT(set, utcOf(2025, 6, 21, 12));
}

// --- Colour temperatures ----------------------------------------------------------------

double distance(Chromaticity c, double x, double y) {
    return std::hypot(c.x - x, c.y - y);
}

TEST(ColourTemperature, ChromaticityMeetsTheCieIlluminants) {
    EXPECT_LT(distance(kelvinChromaticity(2856), 0.44757, 0.40745), 0.0015); // A
    EXPECT_LT(distance(kelvinChromaticity(5000), 0.34567, 0.35850), 0.0015); // D50
    EXPECT_LT(distance(kelvinChromaticity(6504), 0.31271, 0.32902), 0.0015); // D65
}

TEST(ColourTemperature, FactorsAreNeutralAt6500AndWarmAndMonotonicBelow) {
    EXPECT_EQ(kelvinFactors(6500), (std::array<double, 3>{1, 1, 1}));
    EXPECT_EQ(kelvinFactors(9000), (std::array<double, 3>{1, 1, 1}));
    std::array<double, 3> before = kelvinFactors(900);
    for (int k = 1000; k < 6500; ++k) {
        const std::array<double, 3> f = kelvinFactors(k);
        ASSERT_EQ(f[0], 1.0) << k;
        ASSERT_GE(f[1], f[2]) << k;
        ASSERT_GE(f[2], 0.0) << k;
        for (int c = 0; c < 3; ++c)
            ASSERT_GE(f[c], before[c]) << k << " channel " << c;
        before = f;
    }
    EXPECT_LT(kelvinFactors(4500)[2], 0.8); // visibly warm
}

// --- The city list ----------------------------------------------------------------------

TEST(Cities, MadeFromTheZoneTableWithChineseNamesFirst) {
    ASSERT_GT(cities().size(), 200u);
    const City* hk = cityOfZone("Asia/Hong_Kong");
    ASSERT_TRUE(hk);
    EXPECT_EQ(hk->chinese, "香港");
    EXPECT_NEAR(hk->point.latitude, 22 + 17 / 60.0, 1e-9);
    EXPECT_NEAR(hk->point.longitude, 114 + 9 / 60.0, 1e-9);
    const City* macau = cityOfZone("Asia/Macau"); // degrees, minutes and seconds
    ASSERT_TRUE(macau);
    EXPECT_NEAR(macau->point.longitude, 113 + 32 / 60.0 + 30 / 3600.0, 1e-9);
    EXPECT_EQ(cityOfZone("America/Argentina/Buenos_Aires")->english, "Buenos Aires");
    EXPECT_FALSE(cities().front().chinese.empty());
    EXPECT_TRUE(cities().back().chinese.empty());
}

TEST(Cities, PlacesTypedOrStoredAreCheckedNotTrusted) {
    EXPECT_EQ(parseLatLon("31.23, 121.47"), (GeoPoint{31.23, 121.47}));
    EXPECT_EQ(parseLatLon("-33.9 151.2"), (GeoPoint{-33.9, 151.2}));
    for (const char* bad : {"", "31.2", "91,0", "0,181", "nan,0", "1e999,0", "31,abc", ",5"})
        EXPECT_EQ(parseLatLon(bad), std::nullopt) << bad;
    EXPECT_EQ(parseIso6709("+3114+12128"), (GeoPoint{31 + 14 / 60.0, 121 + 28 / 60.0}));
    for (const char* bad : {"+31+121", "3114+12128", "+9914+00000", "+3114+1212x"})
        EXPECT_EQ(parseIso6709(bad), std::nullopt) << bad;
    EXPECT_EQ(placeOfText("Asia/Taipei"), cityOfZone("Asia/Taipei")->point);
    EXPECT_EQ(placeOfText(kFixedTimesPlace), std::nullopt);
    EXPECT_EQ(placeOfText("Mars/Olympus"), std::nullopt);
    // A system set to a zone's other name, or to a zone the newer table folds into a
    // neighbour's, still has its city.
    EXPECT_EQ(cityOfZone("Asia/Chongqing"), cityOfZone("Asia/Shanghai"));
    EXPECT_EQ(cityOfZone("PRC"), cityOfZone("Asia/Shanghai"));
    ASSERT_TRUE(cityOfZone("Europe/Oslo"));
    EXPECT_NEAR(cityOfZone("Europe/Oslo")->point.latitude, 59 + 55 / 60.0, 1e-9);
    EXPECT_EQ(cityOfZone("Asia/Kuala_Lumpur")->chinese, "吉隆坡");
}

} // namespace
} // namespace ocuvell::test
