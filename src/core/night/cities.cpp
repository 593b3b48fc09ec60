#include "core/night/cities.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <map>

namespace ocuvell {
namespace {

struct ZoneRow {
    const char* zone;
    const char* where;
};

constexpr ZoneRow kZoneRows[] = {
#include "zone_cities.inc"
    {nullptr, nullptr}};

// A zone's other names ("PRC", "Asia/Chongqing"), each with the zone it stands for: a
// system may still be set to one.
constexpr std::pair<const char*, const char*> kZoneLinks[] = {
#include "zone_links.inc"
    {nullptr, nullptr}};

// Chinese names of the zones users here are most likely to live in or think of.
constexpr std::pair<const char*, const char*> kChineseNames[] = {
    {"Asia/Shanghai", "上海（北京时间）"},
    {"Asia/Urumqi", "乌鲁木齐"},
    {"Asia/Hong_Kong", "香港"},
    {"Asia/Macau", "澳门"},
    {"Asia/Taipei", "台北"},
    {"Asia/Singapore", "新加坡"},
    {"Asia/Kuala_Lumpur", "吉隆坡"},
    {"Asia/Tokyo", "东京"},
    {"Asia/Seoul", "首尔"},
    {"Asia/Pyongyang", "平壤"},
    {"Asia/Ulaanbaatar", "乌兰巴托"},
    {"Asia/Bangkok", "曼谷"},
    {"Asia/Ho_Chi_Minh", "胡志明市"},
    {"Asia/Manila", "马尼拉"},
    {"Asia/Jakarta", "雅加达"},
    {"Asia/Kolkata", "加尔各答"},
    {"Asia/Kathmandu", "加德满都"},
    {"Asia/Dhaka", "达卡"},
    {"Asia/Karachi", "卡拉奇"},
    {"Asia/Dubai", "迪拜"},
    {"Asia/Tehran", "德黑兰"},
    {"Asia/Riyadh", "利雅得"},
    {"Asia/Jerusalem", "耶路撒冷"},
    {"Asia/Almaty", "阿拉木图"},
    {"Asia/Tashkent", "塔什干"},
    {"Asia/Yangon", "仰光"},
    {"Europe/London", "伦敦"},
    {"Europe/Paris", "巴黎"},
    {"Europe/Berlin", "柏林"},
    {"Europe/Madrid", "马德里"},
    {"Europe/Rome", "罗马"},
    {"Europe/Amsterdam", "阿姆斯特丹"},
    {"Europe/Zurich", "苏黎世"},
    {"Europe/Vienna", "维也纳"},
    {"Europe/Stockholm", "斯德哥尔摩"},
    {"Europe/Moscow", "莫斯科"},
    {"Europe/Istanbul", "伊斯坦布尔"},
    {"Europe/Athens", "雅典"},
    {"Africa/Cairo", "开罗"},
    {"Africa/Lagos", "拉各斯"},
    {"Africa/Nairobi", "内罗毕"},
    {"Africa/Johannesburg", "约翰内斯堡"},
    {"America/New_York", "纽约"},
    {"America/Chicago", "芝加哥"},
    {"America/Denver", "丹佛"},
    {"America/Los_Angeles", "洛杉矶"},
    {"America/Vancouver", "温哥华"},
    {"America/Toronto", "多伦多"},
    {"America/Mexico_City", "墨西哥城"},
    {"America/Sao_Paulo", "圣保罗"},
    {"America/Argentina/Buenos_Aires", "布宜诺斯艾利斯"},
    {"America/Lima", "利马"},
    {"America/Bogota", "波哥大"},
    {"America/Santiago", "圣地亚哥"},
    {"Pacific/Honolulu", "檀香山"},
    {"Pacific/Auckland", "奥克兰"},
    {"Australia/Sydney", "悉尼"},
    {"Australia/Melbourne", "墨尔本"},
    {"Australia/Perth", "珀斯"},
    {"Australia/Adelaide", "阿德莱德"},
};

std::string englishOfZone(std::string_view zone) {
    std::string name(zone.substr(zone.rfind('/') + 1));
    std::replace(name.begin(), name.end(), '_', ' ');
    return name;
}

std::vector<City> makeCities() {
    std::map<std::string_view, std::string_view> chinese(std::begin(kChineseNames),
                                                         std::end(kChineseNames));
    std::vector<City> list;
    for (const ZoneRow& row : kZoneRows) {
        if (!row.zone)
            break;
        const std::optional<GeoPoint> point = parseIso6709(row.where);
        if (!point)
            continue;
        const auto name = chinese.find(row.zone);
        list.push_back({row.zone, englishOfZone(row.zone),
                        name == chinese.end() ? std::string() : std::string(name->second), *point});
    }
    std::stable_sort(list.begin(), list.end(), [](const City& a, const City& b) {
        if (a.chinese.empty() != b.chinese.empty())
            return !a.chinese.empty();
        return a.english < b.english;
    });
    return list;
}

// One signed coordinate of ISO 6709: degrees of degreeDigits, then minutes, then seconds.
std::optional<double> coordinate(std::string_view text, std::size_t degreeDigits, double limit) {
    if (text.size() < 1 + degreeDigits + 2 || (text[0] != '+' && text[0] != '-'))
        return std::nullopt;
    const std::string_view digits = text.substr(1);
    if (!std::all_of(digits.begin(), digits.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return std::nullopt;
    const auto part = [&](std::size_t at, std::size_t n) {
        int v = 0;
        std::from_chars(digits.data() + at, digits.data() + at + n, v);
        return v;
    };
    const std::size_t rest = digits.size() - degreeDigits;
    if (rest != 2 && rest != 4)
        return std::nullopt;
    double value = part(0, degreeDigits) + part(degreeDigits, 2) / 60.0;
    if (rest == 4)
        value += part(degreeDigits + 2, 2) / 3600.0;
    if (value > limit)
        return std::nullopt;
    return text[0] == '-' ? -value : value;
}

std::optional<double> number(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    while (!text.empty() && text.back() == ' ')
        text.remove_suffix(1);
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    double v = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), v);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        !std::isfinite(v))
        return std::nullopt;
    return v;
}

} // namespace

const std::vector<City>& cities() {
    static const std::vector<City> list = makeCities();
    return list;
}

const City* cityOfZone(std::string_view zone) {
    for (int hops = 0; hops < 4; ++hops) { // a link may name another link
        for (const City& c : cities())
            if (c.zone == zone)
                return &c;
        const auto link =
            std::find_if(std::begin(kZoneLinks), std::end(kZoneLinks),
                         [zone](const auto& l) { return l.first && l.first == zone; });
        if (link == std::end(kZoneLinks))
            return nullptr;
        zone = link->second;
    }
    return nullptr;
}

std::optional<GeoPoint> parseIso6709(std::string_view text) {
    const std::size_t split = text.find_first_of("+-", 1);
    if (split == std::string_view::npos)
        return std::nullopt;
    const std::optional<double> lat = coordinate(text.substr(0, split), 2, 90);
    const std::optional<double> lon = coordinate(text.substr(split), 3, 180);
    if (!lat || !lon)
        return std::nullopt;
    return GeoPoint{*lat, *lon};
}

std::optional<GeoPoint> parseLatLon(std::string_view text) {
    while (!text.empty() && text.front() == ' ')
        text.remove_prefix(1);
    std::size_t split = text.find(',');
    if (split == std::string_view::npos)
        split = text.find(' ');
    if (split == std::string_view::npos)
        return std::nullopt;
    const std::optional<double> lat = number(text.substr(0, split));
    const std::optional<double> lon = number(text.substr(split + 1));
    if (!lat || !lon || std::abs(*lat) > 90 || std::abs(*lon) > 180)
        return std::nullopt;
    return GeoPoint{*lat, *lon};
}

std::string formatLatLon(GeoPoint point) {
    char text[48];
    std::snprintf(text, sizeof text, "%.4f,%.4f", point.latitude, point.longitude);
    return text;
}

std::optional<GeoPoint> placeOfText(std::string_view text) {
    if (text == kFixedTimesPlace)
        return std::nullopt;
    if (const City* city = cityOfZone(text))
        return city->point;
    return parseLatLon(text);
}

} // namespace ocuvell
