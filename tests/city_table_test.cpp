#include "places/city_table.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <iterator>
#include <map>
#include <regex>
#include <set>
#include <string>
#include <utility>

namespace {

using namespace places;

// The provinces in index order with their city counts and weather-site province numbers, written out
// here independently of the table so that a row lost or doubled in the table shows up.
struct ExpectedProvince {
    const char* name;
    int cities;
    int site;
};

const ExpectedProvince ExpectedProvinces[36] = {
    {"", 0, 0},         {"北京", 16, 1},   {"上海", 11, 2},   {"天津", 13, 3},   {"重庆", 34, 4},
    {"黑龙江", 13, 5},  {"吉林", 9, 6},    {"辽宁", 14, 7},   {"内蒙古", 12, 8}, {"河北", 11, 9},
    {"河南", 18, 18},   {"山东", 17, 12},  {"山西", 11, 10},  {"陕西", 10, 11},  {"甘肃", 14, 16},
    {"宁夏", 5, 17},    {"新疆", 16, 13},  {"青海", 8, 15},   {"西藏", 7, 14},   {"四川", 21, 27},
    {"云南", 16, 29},   {"贵州", 9, 26},   {"湖南", 14, 25},  {"湖北", 17, 20},  {"安徽", 17, 22},
    {"江苏", 13, 19},   {"浙江", 11, 21},  {"江西", 11, 24},  {"福建", 9, 23},   {"广东", 21, 28},
    {"广西", 14, 30},   {"海南", 20, 31},  {"香港", 1, 32},   {"澳门", 1, 33},   {"台湾", 1, 34},
    {"国外", 2, 0},
};

// Every place (p, c) of the table, by the table's own count texts.
template <typename F>
void ForEachPlace(F f) {
    const int provinces = std::atoi(CityText(0, 0).c_str()) + 1;
    for (int p = 1; p <= provinces; ++p) {
        const int cities = std::atoi(CityText(p, 0).c_str());
        for (int c = 1; c <= cities; ++c) f(p, c);
    }
}

std::string Where(int p, int c) { return std::to_string(p) + "/" + std::to_string(c); }

// True if the text is a sequence of GBK double-byte characters (lead 0x81..0xFE, trail 0x40..0xFE
// without 0x7F): every name of the table is Chinese, so a literal compiled in another code page
// fails here.
bool IsGbkChinese(const std::string& text) {
    if (text.empty() || text.size() % 2 != 0) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE || trail == 0x7F) return false;
    }
    return true;
}

// ---------------------------------------------------------------------------------------------
// The lists of provinces and places

TEST(CityList, PseudoRowsGiveCountryAndChineseProvinceCount) {
    EXPECT_EQ(CityText(-1, -1), "中国");
    EXPECT_EQ(CityText(-1, 0), "中国");
    EXPECT_EQ(CityText(-1, 500), "中国");
    EXPECT_EQ(CityText(0, 0), "34");
    EXPECT_EQ(CityText(0, -1), "34");
    EXPECT_EQ(CityText(0, 99), "34");
    // The count names the Chinese units; the loop to count + 1 reaches the entry for abroad.
    EXPECT_EQ(CityText(std::atoi(CityText(0, 0).c_str()) + 1, -1), "国外");
    EXPECT_EQ(ChineseProvinceCount, 34);
    EXPECT_EQ(ProvinceCount, 35);
}

TEST(CityList, ProvincesAndCountsInIndexOrder) {
    int total = 0;
    for (int p = 1; p <= 35; ++p) {
        EXPECT_EQ(CityText(p, -1), ExpectedProvinces[p].name) << p;
        EXPECT_EQ(CityText(p, 0), std::to_string(ExpectedProvinces[p].cities)) << p;
        EXPECT_EQ(CityCount(p), ExpectedProvinces[p].cities) << p;
        EXPECT_EQ(Provinces[p].city_count, ExpectedProvinces[p].cities) << p;
        total += CityCount(p);
    }
    EXPECT_EQ(total, 437);
    int visited = 0;
    ForEachPlace([&](int, int) { ++visited; });
    EXPECT_EQ(visited, 437);
}

TEST(CityList, TextOutsideTheTableIsEmpty) {
    EXPECT_EQ(CityText(1, 17), "");
    EXPECT_EQ(CityText(36, -1), "");
    EXPECT_EQ(CityText(36, 0), "");
    EXPECT_EQ(CityText(36, 1), "");
    EXPECT_EQ(CityText(-2, -1), "");
    EXPECT_EQ(CityText(1000000, 1), "");
    for (int p = 1; p <= 35; ++p) {
        const int n = CityCount(p);
        EXPECT_NE(CityText(p, n), "") << p;
        EXPECT_EQ(CityText(p, n + 1), "") << p;
        EXPECT_EQ(CityText(p, -2), "") << p;
    }
    EXPECT_EQ(CityCount(0), 0);
    EXPECT_EQ(CityCount(-1), 0);
    EXPECT_EQ(CityCount(36), 0);
}

TEST(CityList, FirstAndLastPlacesOfEveryProvince) {
    const std::map<int, std::pair<const char*, const char*>> ends = {
        {1, {"天安门", "平谷"}},     {2, {"市区", "浦东"}},       {3, {"市区", "蓟县"}},
        {4, {"市区", "秀山"}},       {5, {"哈尔滨", "双鸭山"}},   {6, {"长春", "白山"}},
        {7, {"沈阳", "葫芦岛"}},     {8, {"呼和浩特", "阿拉善"}}, {9, {"石家庄", "秦皇岛"}},
        {10, {"郑州", "济源"}},      {11, {"济南", "聊城"}},      {12, {"太原", "吕梁"}},
        {13, {"西安", "铜川"}},      {14, {"兰州", "嘉峪关"}},    {15, {"银川", "中卫"}},
        {16, {"乌鲁木齐", "博尔塔拉"}}, {17, {"西宁", "海北"}},   {18, {"拉萨", "阿里"}},
        {19, {"成都", "广元"}},      {20, {"昆明", "西双版纳"}},  {21, {"贵阳", "黔西南"}},
        {22, {"长沙", "湘西"}},      {23, {"武汉", "潜江"}},      {24, {"合肥", "池州"}},
        {25, {"南京", "宿迁"}},      {26, {"杭州", "舟山"}},      {27, {"南昌", "鹰潭"}},
        {28, {"福州", "南平"}},      {29, {"广州", "汕尾"}},      {30, {"南宁", "防城港"}},
        {31, {"海口", "五指山"}},    {32, {"香港岛", "香港岛"}},  {33, {"澳门", "澳门"}},
        {34, {"台北", "台北"}},      {35, {"南极点", "北极点"}},
    };
    ASSERT_EQ(ends.size(), 35u);
    for (const auto& [p, names] : ends) {
        EXPECT_EQ(CityText(p, 1), names.first) << p;
        EXPECT_EQ(CityText(p, CityCount(p)), names.second) << p;
    }
}

TEST(CityList, NamesAreGbkAndUniqueWithinTheirProvince) {
    std::set<std::string> provinces;
    for (int p = 1; p <= 35; ++p) {
        EXPECT_TRUE(IsGbkChinese(CityText(p, -1))) << p;
        provinces.insert(CityText(p, -1));
        std::set<std::string> cities;
        for (int c = 1; c <= CityCount(p); ++c) {
            EXPECT_TRUE(IsGbkChinese(CityText(p, c))) << Where(p, c);
            EXPECT_TRUE(cities.insert(CityText(p, c)).second) << "repeated name at " << Where(p, c);
        }
    }
    EXPECT_EQ(provinces.size(), 35u);
    EXPECT_TRUE(IsGbkChinese(CityText(-1, 0)));
    // The byte widths are those of GBK: two bytes a character.
    EXPECT_EQ(CityText(5, -1).size(), 6u);   // 黑龙江
    EXPECT_EQ(CityText(20, 16).size(), 8u);  // 西双版纳
}

// ---------------------------------------------------------------------------------------------
// Coordinates

TEST(CityCoordinates, StoredTextsHaveTwoDecimalsAndParseToTheirValue) {
    const std::regex two_decimals("-?(0|[1-9][0-9]{0,2})\\.[0-9]{2}");
    int without = 0;
    ForEachPlace([&](int p, int c) {
        const CityRow& row = Provinces[p].cities[c - 1];
        EXPECT_EQ(CityText(p, c), row.name) << Where(p, c);
        const std::string lon = row.longitude;
        const std::string lat = row.latitude;
        if (lon.empty() || lat.empty()) {
            EXPECT_TRUE(lon.empty() && lat.empty()) << Where(p, c);
            EXPECT_EQ(CityLongitude(p, c), 0.0) << Where(p, c);
            EXPECT_EQ(CityLatitude(p, c), 0.0) << Where(p, c);
            ++without;
            return;
        }
        EXPECT_TRUE(std::regex_match(lon, two_decimals)) << Where(p, c) << " " << lon;
        EXPECT_TRUE(std::regex_match(lat, two_decimals)) << Where(p, c) << " " << lat;
        // The lookups return the nearest double to the text: the C library's conversion agrees.
        EXPECT_EQ(CityLongitude(p, c), std::strtod(lon.c_str(), nullptr)) << Where(p, c);
        EXPECT_EQ(CityLatitude(p, c), std::strtod(lat.c_str(), nullptr)) << Where(p, c);
        char back[32];
        std::snprintf(back, sizeof back, "%.2f", CityLongitude(p, c));
        EXPECT_EQ(back, lon) << Where(p, c);
        std::snprintf(back, sizeof back, "%.2f", CityLatitude(p, c));
        EXPECT_EQ(back, lat) << Where(p, c);
    });
    EXPECT_EQ(without, 4);
}

TEST(CityCoordinates, ChinesePlacesLieInsideChina) {
    // China spans about 73..135 degrees east and 3..54 degrees north; east longitudes are negative.
    for (int p = 1; p <= 34; ++p) {
        for (int c = 1; c <= CityCount(p); ++c) {
            const double x = CityLongitude(p, c);
            const double y = CityLatitude(p, c);
            if (x == 0.0 && y == 0.0) continue;  // no coordinates
            EXPECT_TRUE(x >= -135.1 && x <= -73.5) << Where(p, c) << " " << x;
            EXPECT_TRUE(y >= 3.8 && y <= 53.6) << Where(p, c) << " " << y;
        }
    }
}

// A generous bounding box of every provincial unit (degrees east, degrees north), from the map and
// independent of the table: each place must lie in its own province. This catches a row that holds
// the coordinates of a namesake elsewhere or of a copied row.
struct Box {
    double west, east, south, north;
};
const Box ProvinceBoxes[35] = {
    {},
    {115.4, 117.5, 39.4, 41.1},  {120.8, 122.2, 30.6, 31.9},  {116.7, 118.1, 38.5, 40.3},  // 北京 上海 天津
    {105.2, 110.2, 28.1, 32.3},  {121.1, 135.1, 43.4, 53.6},  {121.6, 131.3, 40.8, 46.3},  // 重庆 黑龙江 吉林
    {118.8, 125.8, 38.7, 43.5},  {97.2, 126.1, 37.4, 53.4},   {113.4, 119.9, 36.0, 42.7},  // 辽宁 内蒙古 河北
    {110.3, 116.7, 31.4, 36.4},  {114.8, 122.7, 34.4, 38.4},  {110.2, 114.6, 34.6, 40.8},  // 河南 山东 山西
    {105.5, 111.3, 31.7, 39.6},  {92.3, 108.8, 32.6, 42.8},   {104.2, 107.7, 35.2, 39.4},  // 陕西 甘肃 宁夏
    {73.5, 96.4, 34.3, 49.2},    {89.4, 103.1, 31.6, 39.2},   {78.4, 99.1, 26.8, 36.5},    // 新疆 青海 西藏
    {97.3, 108.6, 26.0, 34.4},   {97.5, 106.2, 21.1, 29.3},   {103.6, 109.6, 24.6, 29.2},  // 四川 云南 贵州
    {108.8, 114.3, 24.6, 30.2},  {108.3, 116.2, 29.0, 33.3},  {114.8, 119.7, 29.4, 34.7},  // 湖南 湖北 安徽
    {116.3, 121.9, 30.7, 35.2},  {118.0, 123.2, 27.0, 31.2},  {113.5, 118.5, 24.4, 30.1},  // 江苏 浙江 江西
    {115.8, 120.8, 23.5, 28.4},  {109.6, 117.4, 20.2, 25.6},  {104.4, 112.1, 20.9, 26.4},  // 福建 广东 广西
    {108.6, 118.0, 3.5, 20.2},   {113.8, 114.5, 22.1, 22.6},  {113.2, 113.7, 22.0, 22.3},  // 海南 香港 澳门
    {119.3, 122.1, 21.8, 25.4},                                                             // 台湾
};

TEST(CityCoordinates, EveryPlaceLiesInItsOwnProvince) {
    for (int p = 1; p <= ChineseProvinceCount; ++p) {
        const Box& box = ProvinceBoxes[p];
        for (int c = 1; c <= CityCount(p); ++c) {
            if (CityLongitude(p, c) == 0.0 && CityLatitude(p, c) == 0.0) continue;  // no coordinates
            const double east = -CityLongitude(p, c);
            const double north = CityLatitude(p, c);
            EXPECT_TRUE(east >= box.west && east <= box.east && north >= box.south && north <= box.north)
                << "province " << p << " city " << c << ": " << east << " E, " << north << " N";
        }
    }
}

TEST(CityCoordinates, OnlyTheFourChongqingDistrictsLackCoordinates) {
    for (int c = 31; c <= 34; ++c) {
        EXPECT_EQ(CityLongitude(4, c), 0.0) << c;
        EXPECT_EQ(CityLatitude(4, c), 0.0) << c;
        EXPECT_NE(CityWeatherCode(4, c), 0) << c;
    }
    EXPECT_EQ(CityText(4, 31), "彭水");
    EXPECT_EQ(CityText(4, 32), "綦江");
    EXPECT_EQ(CityText(4, 33), "酉阳");
    EXPECT_EQ(CityText(4, 34), "秀山");
    EXPECT_EQ(CityWeatherCode(4, 31), 101043200);
}

TEST(CityCoordinates, KnownPlaces) {
    EXPECT_EQ(CityLongitude(1, 1), -116.38);
    EXPECT_EQ(CityLatitude(1, 1), 39.90);
    EXPECT_EQ(CityLongitude(2, 1), -121.47);  // 上海
    EXPECT_EQ(CityLatitude(2, 1), 31.23);
    EXPECT_EQ(CityLongitude(16, 1), -87.68);  // 乌鲁木齐, two integer digits
    EXPECT_EQ(CityLatitude(31, 18), 9.39);    // 南沙, one integer digit
    EXPECT_EQ(CityLongitude(34, 1), -121.50);  // 台北
    EXPECT_EQ(CityLatitude(34, 1), 25.03);
    // The poles: longitude 0, latitude -90 and +90.
    EXPECT_EQ(CityLongitude(35, 1), 0.0);
    EXPECT_EQ(CityLatitude(35, 1), -90.0);
    EXPECT_EQ(CityLongitude(35, 2), 0.0);
    EXPECT_EQ(CityLatitude(35, 2), 90.0);
}

TEST(CityCoordinates, IndexesOutsideTheTableFallBackToOne) {
    EXPECT_EQ(CityLongitude(36, 1), CityLongitude(1, 1));
    EXPECT_EQ(CityLongitude(36, 1), -116.38);
    EXPECT_EQ(CityLatitude(-5, -5), 39.90);
    EXPECT_EQ(CityLongitude(1, 17), -116.38);
    EXPECT_EQ(CityLongitude(1, 0), -116.38);
    EXPECT_EQ(CityLongitude(1, -1), -116.38);
    // The province is corrected first, then the city against the corrected province.
    EXPECT_EQ(CityLongitude(0, 16), CityLongitude(1, 16));  // 平谷
    EXPECT_EQ(CityLongitude(0, 16), -117.10);
    EXPECT_EQ(CityLongitude(36, 20), -116.38);  // 北京 has 16
    EXPECT_EQ(CityLatitude(32, 2), CityLatitude(32, 1));
    EXPECT_EQ(CityLatitude(35, 3), -90.0);
    EXPECT_EQ(CityLongitude(4, 35), -106.55);  // 重庆 市区
}

// ---------------------------------------------------------------------------------------------
// Weather codes

// The cities of provinces 5..34 whose code departs from 101 + site + city + 01, named rather than
// indexed so that a city that moved in the table is caught too.
struct NamedCode {
    const char* province;
    const char* city;
    int index;
    std::int32_t code;
};

const NamedCode WeatherExceptions[] = {
    {"黑龙江", "七台河", 10, 101051002}, {"河北", "承德", 4, 101090402},   {"山西", "吕梁", 11, 101101100},
    {"陕西", "咸阳", 2, 101110200},      {"陕西", "延安", 3, 101110300},   {"湖南", "益阳", 7, 101250700},
    {"湖南", "永州", 13, 101251401},     {"湖南", "湘西", 14, 101251501},  {"广东", "佛山", 8, 101280800},
    {"海南", "东方", 3, 101310202},      {"海南", "临高", 4, 101310203},   {"海南", "澄迈", 5, 101310204},
    {"海南", "儋州", 6, 101310205},      {"海南", "昌江", 7, 101310206},   {"海南", "白沙", 8, 101310207},
    {"海南", "琼中", 9, 101310208},      {"海南", "定安", 10, 101310209},  {"海南", "屯昌", 11, 101310210},
    {"海南", "琼海", 12, 101310211},     {"海南", "文昌", 13, 101310212},  {"海南", "保亭", 14, 101310214},
    {"海南", "万宁", 15, 101310215},     {"海南", "陵水", 16, 101310216},  {"海南", "西沙", 17, 101310217},
    {"海南", "南沙", 18, 101310220},     {"海南", "乐东", 19, 101310221},  {"海南", "五指山", 20, 101310222},
};

TEST(WeatherCodes, ProvincesFollowTheSiteRuleExceptTheListedCities) {
    std::set<std::pair<int, int>> exceptional;
    for (const NamedCode& e : WeatherExceptions) {
        int p = 0;
        int c = 0;
        ASSERT_TRUE(FindCity(e.province, e.city, p, c)) << e.index;
        EXPECT_EQ(c, e.index) << p;
        EXPECT_EQ(CityWeatherCode(p, c), e.code) << Where(p, c);
        // An exception really departs from the rule.
        EXPECT_NE(e.code, 101000000 + 10000 * ExpectedProvinces[p].site + 100 * c + 1) << Where(p, c);
        exceptional.insert({p, c});
    }
    EXPECT_EQ(exceptional.size(), std::size(WeatherExceptions));
    int ruled = 0;
    for (int p = 5; p <= 34; ++p) {
        for (int c = 1; c <= CityCount(p); ++c) {
            if (exceptional.count({p, c})) continue;
            EXPECT_EQ(CityWeatherCode(p, c), 101000000 + 10000 * ExpectedProvinces[p].site + 100 * c + 1)
                << Where(p, c);
            ++ruled;
        }
    }
    EXPECT_EQ(ruled, 437 - 16 - 11 - 13 - 34 - 2 - 27);
    EXPECT_EQ(CityWeatherCode(31, 1), 101310101);  // 海口
    EXPECT_EQ(CityWeatherCode(31, 2), 101310201);  // 三亚
    EXPECT_EQ(CityWeatherCode(32, 1), 101320101);  // 香港岛
    EXPECT_EQ(CityWeatherCode(34, 1), 101340101);  // 台北
}

TEST(WeatherCodes, SiteNumbersOfTheProvinces) {
    std::set<int> sites;
    for (int p = 1; p <= 35; ++p) {
        EXPECT_EQ(Provinces[p].site, ExpectedProvinces[p].site) << p;
        if (p <= 34) sites.insert(Provinces[p].site);
    }
    EXPECT_EQ(sites.size(), 34u);
    EXPECT_EQ(*sites.begin(), 1);
    EXPECT_EQ(*sites.rbegin(), 34);
}

TEST(WeatherCodes, Municipalities) {
    // 北京: 天安门 and 市区 share the city's code; the other districts count on from there.
    EXPECT_EQ(CityWeatherCode(1, 1), 101010100);
    EXPECT_EQ(CityWeatherCode(1, 2), 101010100);
    EXPECT_EQ(CityWeatherCode(1, 3), 101010200);  // 海淀
    EXPECT_EQ(CityWeatherCode(1, 16), 101011500);  // 平谷
    for (int c = 2; c <= 16; ++c) EXPECT_EQ(CityWeatherCode(1, c), 101010000 + 100 * (c - 1)) << c;
    // 上海, district by district.
    const std::int32_t shanghai[] = {101020100, 101020200, 101020300, 101020500, 101020600, 101020700,
                                     101020800, 101020900, 101021000, 101021100, 101021300};
    for (int c = 1; c <= 11; ++c) EXPECT_EQ(CityWeatherCode(2, c), shanghai[c - 1]) << c;
    EXPECT_EQ(CityText(2, 11), "浦东");
    // 天津.
    EXPECT_EQ(CityWeatherCode(3, 1), 101030100);
    EXPECT_EQ(CityWeatherCode(3, 12), 101031200);
    EXPECT_EQ(CityWeatherCode(3, 13), 101031400);  // 蓟县
    // 重庆: a gap after 黔江 (11) and before 秀山 (34).
    EXPECT_EQ(CityWeatherCode(4, 1), 101040100);
    EXPECT_EQ(CityWeatherCode(4, 11), 101041100);
    EXPECT_EQ(CityText(4, 11), "黔江");
    EXPECT_EQ(CityWeatherCode(4, 12), 101041300);
    EXPECT_EQ(CityWeatherCode(4, 31), 101043200);  // 彭水
    EXPECT_EQ(CityWeatherCode(4, 33), 101043400);
    EXPECT_EQ(CityWeatherCode(4, 34), 101043600);  // 秀山
}

TEST(WeatherCodes, AbroadHasNone) {
    EXPECT_EQ(CityWeatherCode(35, 1), 0);
    EXPECT_EQ(CityWeatherCode(35, 2), 0);
    EXPECT_EQ(CityWeatherCode(35, 3), 0);  // corrected to 35/1
}

TEST(WeatherCodes, EveryChineseCodeIsNineDigitsOfItsProvinceAndUnique) {
    std::map<std::int32_t, std::string> seen;
    for (int p = 1; p <= 34; ++p) {
        for (int c = 1; c <= CityCount(p); ++c) {
            const std::int32_t code = CityWeatherCode(p, c);
            EXPECT_EQ(code / 1000000, 101) << Where(p, c);
            EXPECT_EQ(code / 10000 % 100, ExpectedProvinces[p].site) << Where(p, c);
            if (p == 1 && c == 2) continue;  // 市区 shares 天安门's code
            const auto [it, fresh] = seen.insert({code, Where(p, c)});
            EXPECT_TRUE(fresh) << Where(p, c) << " repeats the code of " << it->second;
        }
    }
    EXPECT_EQ(seen.size(), 434u);
}

TEST(WeatherCodes, IndexesOutsideTheTableFallBackToOne) {
    EXPECT_EQ(CityWeatherCode(0, 0), 101010100);
    EXPECT_EQ(CityWeatherCode(99, 99), 101010100);
    EXPECT_EQ(CityWeatherCode(-1, 3), 101010200);
    EXPECT_EQ(CityWeatherCode(5, 14), 101050101);  // 哈尔滨
    EXPECT_EQ(CityWeatherCode(5, -3), 101050101);
}

// ---------------------------------------------------------------------------------------------
// Records and names

TEST(CityRecords, RecordOfAPlaceAgreesWithTheLookups) {
    ForEachPlace([](int p, int c) {
        const CityRecord r = CityRecordOf(p, c);
        EXPECT_EQ(r.province, p);
        EXPECT_EQ(r.city, c);
        EXPECT_EQ(r.name, CityText(p, c)) << Where(p, c);
        EXPECT_EQ(r.longitude, CityLongitude(p, c)) << Where(p, c);
        EXPECT_EQ(r.latitude, CityLatitude(p, c)) << Where(p, c);
        EXPECT_EQ(r.weather_code, CityWeatherCode(p, c)) << Where(p, c);
    });
}

TEST(CityRecords, RecordCarriesTheCorrectedIndexes) {
    const CityRecord home = CityRecordOf(0, 0);
    EXPECT_EQ(home.province, 1);
    EXPECT_EQ(home.city, 1);
    EXPECT_EQ(home.name, "天安门");
    EXPECT_EQ(home.longitude, -116.38);
    EXPECT_EQ(home.latitude, 39.90);
    EXPECT_EQ(home.weather_code, 101010100);

    const CityRecord pengshui = CityRecordOf(4, 31);
    EXPECT_EQ(pengshui.name, "彭水");
    EXPECT_EQ(pengshui.longitude, 0.0);
    EXPECT_EQ(pengshui.latitude, 0.0);
    EXPECT_EQ(pengshui.weather_code, 101043200);

    const CityRecord fallback = CityRecordOf(36, 12);
    EXPECT_EQ(fallback.province, 1);
    EXPECT_EQ(fallback.city, 12);
    EXPECT_EQ(fallback.name, "大兴");

    const CityRecord hong_kong = CityRecordOf(32, 2);
    EXPECT_EQ(hong_kong.city, 1);
    EXPECT_EQ(hong_kong.name, "香港岛");
}

TEST(CityNames, FindCityByProvinceAndCityName) {
    int p = 0;
    int c = 0;
    EXPECT_TRUE(FindCity("北京", "天安门", p, c));
    EXPECT_EQ(p, 1);
    EXPECT_EQ(c, 1);
    // The same city name in two provinces.
    EXPECT_TRUE(FindCity("北京", "朝阳", p, c));
    EXPECT_EQ(Where(p, c), "1/4");
    EXPECT_TRUE(FindCity("辽宁", "朝阳", p, c));
    EXPECT_EQ(Where(p, c), "7/12");
    // A city named like its province, and like another province.
    EXPECT_TRUE(FindCity("吉林", "吉林", p, c));
    EXPECT_EQ(Where(p, c), "6/2");
    EXPECT_TRUE(FindCity("青海", "海南", p, c));
    EXPECT_EQ(Where(p, c), "17/4");
    EXPECT_TRUE(FindCity("国外", "北极点", p, c));
    EXPECT_EQ(Where(p, c), "35/2");
}

TEST(CityNames, UnknownNamesLeaveTheIndexesAlone) {
    int p = 7;
    int c = 9;
    EXPECT_FALSE(FindCity("北京", "沈阳", p, c));
    EXPECT_FALSE(FindCity("辽", "沈阳", p, c));
    EXPECT_FALSE(FindCity("辽宁", "", p, c));
    EXPECT_FALSE(FindCity("", "", p, c));
    EXPECT_FALSE(FindCity("中国", "北京", p, c));
    EXPECT_FALSE(FindCity("北京 ", "天安门", p, c));
    EXPECT_FALSE(FindCity("北京", "天安", p, c));
    EXPECT_EQ(p, 7);
    EXPECT_EQ(c, 9);
}

TEST(CityNames, EveryPlaceIsFoundByItsNames) {
    ForEachPlace([](int p, int c) {
        int fp = 0;
        int fc = 0;
        EXPECT_TRUE(FindCity(CityText(p, -1), CityText(p, c), fp, fc)) << Where(p, c);
        EXPECT_EQ(Where(fp, fc), Where(p, c));
    });
}

// ---------------------------------------------------------------------------------------------
// Coordinate texts

TEST(CoordinateTexts, KnownPlaces) {
    EXPECT_EQ(LongitudeText(CityLongitude(1, 1)), "东经116.3800度");
    EXPECT_EQ(LatitudeText(CityLatitude(1, 1)), "北纬39.9000度");
    EXPECT_EQ(LongitudeText(CityLongitude(35, 1)), "东经000.0000度");
    EXPECT_EQ(LatitudeText(CityLatitude(35, 1)), "南纬90.0000度");
    EXPECT_EQ(LongitudeText(CityLongitude(35, 2)), "东经000.0000度");
    EXPECT_EQ(LatitudeText(CityLatitude(35, 2)), "北纬90.0000度");
    EXPECT_EQ(LongitudeText(CityLongitude(16, 1)), "东经087.6800度");  // 乌鲁木齐
    EXPECT_EQ(LatitudeText(CityLatitude(31, 18)), "北纬09.3900度");    // 南沙
    EXPECT_EQ(LongitudeText(CityLongitude(4, 31)), "东经000.0000度");  // 彭水: none stored
    EXPECT_EQ(LatitudeText(CityLatitude(4, 31)), "南纬00.0000度");
}

TEST(CoordinateTexts, HemispheresAndZero) {
    EXPECT_EQ(LongitudeText(0.0), "东经000.0000度");
    EXPECT_EQ(LongitudeText(-0.0), "东经000.0000度");
    EXPECT_EQ(LongitudeText(77.04), "西经077.0400度");
    EXPECT_EQ(LongitudeText(-180.0), "东经180.0000度");
    EXPECT_EQ(LongitudeText(180.0), "西经180.0000度");
    EXPECT_EQ(LatitudeText(0.0), "南纬00.0000度");
    EXPECT_EQ(LatitudeText(-0.0), "南纬00.0000度");
    EXPECT_EQ(LatitudeText(-33.87), "南纬33.8700度");
    EXPECT_EQ(LatitudeText(5.5), "北纬05.5000度");
    // The sign decides before rounding: a sliver west of Greenwich is still 西经.
    EXPECT_EQ(LongitudeText(1e-9), "西经000.0000度");
    EXPECT_EQ(LatitudeText(-1e-9), "南纬00.0000度");
}

TEST(CoordinateTexts, RoundingToFourDecimals) {
    // Two-decimal values held just below their decimal value must not lose a digit.
    EXPECT_EQ(LongitudeText(-116.38), "东经116.3800度");
    EXPECT_EQ(LongitudeText(-0.07), "东经000.0700度");
    EXPECT_EQ(LatitudeText(0.29), "北纬00.2900度");
    EXPECT_EQ(LongitudeText(-12.345678), "东经012.3457度");
    EXPECT_EQ(LongitudeText(-12.34564), "东经012.3456度");
    EXPECT_EQ(LatitudeText(45.99996), "北纬46.0000度");
    EXPECT_EQ(LongitudeText(-99.99996), "东经100.0000度");
}

TEST(CoordinateTexts, EveryPlaceFitsTheFieldAndReadsBack) {
    // The fields take 14 bytes: 东经 + 000.0000 + 度 is 14, 北纬 + 00.0000 + 度 is 13.
    ForEachPlace([](int p, int c) {
        const double x = CityLongitude(p, c);
        const double y = CityLatitude(p, c);
        const std::string lon = LongitudeText(x);
        const std::string lat = LatitudeText(y);
        ASSERT_EQ(lon.size(), 14u) << Where(p, c);
        ASSERT_EQ(lat.size(), 13u) << Where(p, c);
        EXPECT_EQ(lon.substr(0, 4), x > 0 ? "西经" : "东经") << Where(p, c);
        EXPECT_EQ(lat.substr(0, 4), y > 0 ? "北纬" : "南纬") << Where(p, c);
        EXPECT_EQ(lon.substr(12), "度");
        EXPECT_EQ(lat.substr(11), "度");
        EXPECT_EQ(lon.substr(7, 1), ".");
        EXPECT_EQ(lat.substr(6, 1), ".");
        EXPECT_NEAR(std::strtod(lon.substr(4, 8).c_str(), nullptr), std::fabs(x), 5e-5) << Where(p, c);
        EXPECT_NEAR(std::strtod(lat.substr(4, 7).c_str(), nullptr), std::fabs(y), 5e-5) << Where(p, c);
        // Stored with two decimals, so the last two shown are zeros.
        EXPECT_EQ(lon.substr(10, 2), "00") << Where(p, c);
        EXPECT_EQ(lat.substr(9, 2), "00") << Where(p, c);
    });
}

TEST(CoordinateTexts, NotANumberGivesNoText) {
    EXPECT_EQ(LongitudeText(std::nan("")), "");
    EXPECT_EQ(LatitudeText(HUGE_VAL), "");
    EXPECT_EQ(LatitudeText(-HUGE_VAL), "");
}

// ---------------------------------------------------------------------------------------------
// The stored local place

TEST(StoredIndexes, ProvinceIndexIsKeptOnlyInItsCanonicalForm) {
    for (int p = 1; p <= 35; ++p) EXPECT_EQ(AcceptProvinceIndex(std::to_string(p)), p);
    const char* const refused[] = {"3.5", "0",  "36", "",   " 3",  "3 ",  "03", "+3",  "-1",  "3.0",
                                   "3e0", "0x3", "3a", "-0", "1 0", "00",  "３", "99999999999999999999",
                                   "-2147483648", "2147483648", "35.", ".5"};
    for (const char* text : refused) EXPECT_EQ(AcceptProvinceIndex(text), 1) << '"' << text << '"';
    EXPECT_EQ(AcceptProvinceIndex(std::string("3\0", 2)), 1);
}

TEST(StoredIndexes, CityIndexIsCheckedAgainstItsProvince) {
    EXPECT_EQ(AcceptCityIndex("16", 1), 16);
    EXPECT_EQ(AcceptCityIndex("17", 1), 1);
    EXPECT_EQ(AcceptCityIndex("34", 4), 34);
    EXPECT_EQ(AcceptCityIndex("35", 4), 1);
    EXPECT_EQ(AcceptCityIndex("2", 32), 1);  // 香港 has one place
    EXPECT_EQ(AcceptCityIndex("2", 35), 2);
    EXPECT_EQ(AcceptCityIndex("0", 4), 1);
    EXPECT_EQ(AcceptCityIndex("", 4), 1);
    EXPECT_EQ(AcceptCityIndex("05", 4), 1);
    EXPECT_EQ(AcceptCityIndex("5.0", 4), 1);
    EXPECT_EQ(AcceptCityIndex("-5", 4), 1);
    // A province outside the table counts as 北京.
    EXPECT_EQ(AcceptCityIndex("16", 0), 16);
    EXPECT_EQ(AcceptCityIndex("20", 36), 1);
    for (int p = 1; p <= 35; ++p) {
        for (int c = 1; c <= CityCount(p); ++c) EXPECT_EQ(AcceptCityIndex(std::to_string(c), p), c);
        EXPECT_EQ(AcceptCityIndex(std::to_string(CityCount(p) + 1), p), 1) << p;
    }
}

TEST(StoredIndexes, LocalPlaceFromStoredTexts) {
    const LocalPlace fresh;
    EXPECT_EQ(fresh.prov_index, 1);
    EXPECT_EQ(fresh.city_index, 1);
    EXPECT_EQ(fresh.longitude, CityLongitude(1, 1));
    EXPECT_EQ(fresh.latitude, CityLatitude(1, 1));

    const LocalPlace none = LoadLocalPlace("", "");
    EXPECT_EQ(none.prov_index, 1);
    EXPECT_EQ(none.city_index, 1);
    EXPECT_EQ(none.longitude, -116.38);
    EXPECT_EQ(none.latitude, 39.90);

    const LocalPlace guangzhou = LoadLocalPlace("29", "1");
    EXPECT_EQ(guangzhou.prov_index, 29);
    EXPECT_EQ(guangzhou.city_index, 1);
    EXPECT_EQ(guangzhou.longitude, -113.23);
    EXPECT_EQ(guangzhou.latitude, 23.16);

    const LocalPlace pengshui = LoadLocalPlace("4", "31");
    EXPECT_EQ(pengshui.city_index, 31);
    EXPECT_EQ(pengshui.longitude, 0.0);
    EXPECT_EQ(pengshui.latitude, 0.0);

    const LocalPlace north_pole = LoadLocalPlace("35", "2");
    EXPECT_EQ(north_pole.latitude, 90.0);

    // A refused province: the city is then checked against 北京's 16 places.
    const LocalPlace shunyi = LoadLocalPlace("3.5", "5");
    EXPECT_EQ(shunyi.prov_index, 1);
    EXPECT_EQ(shunyi.city_index, 5);
    EXPECT_EQ(shunyi.longitude, -116.65);
    const LocalPlace beyond = LoadLocalPlace("36", "20");
    EXPECT_EQ(beyond.prov_index, 1);
    EXPECT_EQ(beyond.city_index, 1);
    EXPECT_EQ(beyond.longitude, -116.38);
    // A city beyond the count of the loaded province.
    const LocalPlace shanghai = LoadLocalPlace("2", "12");
    EXPECT_EQ(shanghai.prov_index, 2);
    EXPECT_EQ(shanghai.city_index, 1);
    EXPECT_EQ(shanghai.longitude, -121.47);
    const LocalPlace wuzhishan = LoadLocalPlace("31", "20");
    EXPECT_EQ(wuzhishan.city_index, 20);
    EXPECT_EQ(wuzhishan.latitude, 18.78);
}

}  // namespace
