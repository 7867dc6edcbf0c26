#include "places/city_table.h"

#include "text/numbers.h"

#include <charconv>
#include <cmath>
#include <cstdio>
#include <iterator>
#include <string_view>
#include <system_error>

namespace places {

namespace {

// The places of each province in index order; the comment gives the city index. Coordinates are in
// degrees with two decimals, east longitudes negative. Fourteen rows of the old table held the
// coordinates of another place (a county of the same name elsewhere, a copied row); they are
// corrected, each with a note of what the old table had. The four 重庆 districts without
// coordinates read as 0.

constexpr CityRow BeijingPlaces[] = {  // 1 北京
    {"天安门", "-116.38", "39.90"},  // 1
    {"市区", "-116.40", "39.90"},  // 2
    {"海淀", "-116.30", "39.90"},  // 3
    {"朝阳", "-116.47", "39.93"},  // 4
    {"顺义", "-116.65", "40.13"},  // 5
    {"怀柔", "-116.62", "40.32"},  // 6
    {"通州", "-116.70", "39.85"},  // 7
    {"昌平", "-116.20", "40.22"},  // 8
    {"延庆", "-115.97", "40.47"},  // 9
    {"丰台", "-116.33", "39.85"},  // 10
    {"石景山", "-116.10", "39.90"},  // 11
    {"大兴", "-116.33", "39.73"},  // 12
    {"房山", "-115.98", "39.72"},  // 13
    {"密云", "-116.85", "40.37"},  // 14
    {"门头沟", "-116.00", "39.90"},  // 15
    {"平谷", "-117.10", "40.13"},  // 16
};

constexpr CityRow ShanghaiPlaces[] = {  // 2 上海
    {"市区", "-121.47", "31.23"},  // 1
    {"闵行", "-121.48", "31.22"},  // 2
    {"宝山", "-121.48", "31.41"},  // 3
    {"嘉定", "-121.24", "31.40"},  // 4
    {"南汇", "-121.76", "31.05"},  // 5
    {"金山", "-121.16", "30.89"},  // 6
    {"青浦", "-121.10", "31.15"},  // 7
    {"松江", "-121.24", "31.00"},  // 8
    {"奉贤", "-121.46", "30.92"},  // 9
    {"崇明", "-121.40", "31.73"},  // 10
    {"浦东", "-121.48", "31.22"},  // 11
};

constexpr CityRow TianjinPlaces[] = {  // 3 天津
    {"市区", "-117.20", "39.12"},  // 1
    {"武清", "-117.05", "39.40"},  // 2
    {"宝坻", "-117.30", "39.75"},  // 3
    {"东丽", "-117.34", "39.12"},  // 4
    {"西青", "-117.11", "39.07"},  // 5
    {"北辰", "-117.15", "39.22"},  // 6
    {"宁河", "-117.83", "39.33"},  // 7
    {"汉沽", "-117.80", "39.20"},  // 8
    {"静海", "-116.92", "38.93"},  // 9
    {"津南", "-117.37", "38.99"},  // 10
    {"塘沽", "-117.60", "39.00"},  // 11
    {"大港", "-117.40", "38.80"},  // 12
    {"蓟县", "-117.40", "40.05"},  // 13
};

constexpr CityRow ChongqingPlaces[] = {  // 4 重庆
    {"市区", "-106.55", "29.57"},  // 1
    {"永川", "-105.71", "29.75"},  // 2
    {"合川", "-106.28", "29.26"},  // 3
    {"南川", "-107.13", "29.15"},  // 4
    {"江津", "-106.54", "29.59"},  // 5
    {"万盛", "-105.91", "29.38"},  // 6
    {"渝北", "-106.54", "29.59"},  // 7
    {"北碚", "-106.54", "29.59"},  // 8
    {"巴南", "-106.54", "29.59"},  // 9
    {"长寿", "-106.64", "29.01"},  // 10
    {"黔江", "-108.81", "29.53"},  // 11
    // Corrected: the old table gave the city centre of 重庆.
    {"万州", "-108.41", "30.81"},  // 12
    {"涪陵", "-107.36", "29.70"},  // 13
    {"开县", "-108.39", "31.23"},  // 14
    {"城口", "-108.67", "31.98"},  // 15
    {"云阳", "-108.89", "30.99"},  // 16
    {"巫溪", "-109.60", "31.42"},  // 17
    {"奉节", "-109.52", "31.06"},  // 18
    {"巫山", "-109.86", "31.10"},  // 19
    {"潼南", "-106.22", "30.03"},  // 20
    {"垫江", "-107.34", "30.36"},  // 21
    {"梁平", "-107.78", "30.66"},  // 22
    {"忠县", "-108.03", "30.33"},  // 23
    {"石柱", "-108.13", "29.98"},  // 24
    {"大足", "-105.59", "29.40"},  // 25
    {"荣昌", "-106.21", "29.62"},  // 26
    {"铜梁", "-105.80", "30.16"},  // 27
    {"璧山", "-106.54", "29.59"},  // 28
    {"丰都", "-107.70", "29.89"},  // 29
    {"武隆", "-108.72", "29.29"},  // 30
    // The table has never held coordinates for the last four districts: they read as 0.
    {"彭水", "", ""},  // 31
    {"綦江", "", ""},  // 32
    {"酉阳", "", ""},  // 33
    {"秀山", "", ""},  // 34
};

constexpr CityRow HeilongjiangPlaces[] = {  // 5 黑龙江
    {"哈尔滨", "-126.63", "45.75"},  // 1
    {"齐齐哈尔", "-123.97", "47.33"},  // 2
    {"牡丹江", "-129.58", "44.60"},  // 3
    {"佳木斯", "-130.35", "46.83"},  // 4
    {"绥化", "-127.00", "46.63"},  // 5
    {"黑河", "-127.53", "50.22"},  // 6
    // Corrected (the seat, 加格达奇): the old table gave the position of 北京 大兴.
    {"大兴安岭", "-124.12", "50.42"},  // 7
    {"伊春", "-128.92", "47.73"},  // 8
    {"大庆", "-125.03", "46.58"},  // 9
    {"七台河", "-130.83", "45.82"},  // 10
    {"鸡西", "-130.90", "45.30"},  // 11
    {"鹤岗", "-130.30", "47.33"},  // 12
    {"双鸭山", "-131.17", "46.65"},  // 13
};

constexpr CityRow JilinPlaces[] = {  // 6 吉林
    {"长春", "-125.35", "43.88"},  // 1
    {"吉林", "-126.57", "43.87"},  // 2
    {"延边", "-129.50", "42.90"},  // 3
    {"四平", "-124.37", "43.17"},  // 4
    {"通化", "-125.92", "41.49"},  // 5
    {"白城", "-122.82", "45.63"},  // 6
    {"辽源", "-125.15", "42.97"},  // 7
    {"松原", "-124.80", "45.10"},  // 8
    {"白山", "-128.00", "42.10"},  // 9
};

constexpr CityRow LiaoningPlaces[] = {  // 7 辽宁
    {"沈阳", "-123.38", "41.80"},  // 1
    {"大连", "-121.62", "38.92"},  // 2
    {"鞍山", "-123.00", "41.10"},  // 3
    {"抚顺", "-123.97", "41.97"},  // 4
    {"本溪", "-123.73", "41.30"},  // 5
    {"丹东", "-124.37", "40.13"},  // 6
    {"锦州", "-121.15", "41.13"},  // 7
    {"营口", "-122.18", "40.65"},  // 8
    {"阜新", "-121.65", "42.00"},  // 9
    {"辽阳", "-123.17", "41.28"},  // 10
    {"铁岭", "-123.85", "42.32"},  // 11
    {"朝阳", "-120.42", "41.58"},  // 12
    {"盘锦", "-122.00", "41.20"},  // 13
    {"葫芦岛", "-120.90", "40.70"},  // 14
};

constexpr CityRow InnerMongoliaPlaces[] = {  // 8 内蒙古
    {"呼和浩特", "-111.65", "40.82"},  // 1
    {"包头", "-110.00", "40.58"},  // 2
    {"乌海", "-106.82", "39.67"},  // 3
    // Corrected (the seat, 集宁): the old table gave 乌兰 county of 青海.
    {"乌兰察布", "-113.13", "40.99"},  // 4
    {"通辽", "-122.28", "43.63"},  // 5
    {"赤峰", "-118.87", "42.28"},  // 6
    {"鄂尔多斯", "-109.00", "39.00"},  // 7
    // Corrected (the seat, 临河): the old table gave a point in 黑龙江.
    {"巴彦淖尔", "-107.39", "40.74"},  // 8
    {"锡林郭勒", "-116.00", "43.90"},  // 9
    {"呼伦贝尔", "-119.70", "49.20"},  // 10
    // Corrected (the seat, 乌兰浩特): the old table gave 兴安 county of 广西.
    {"兴安", "-122.04", "46.08"},  // 11
    {"阿拉善", "-105.68", "38.85"},  // 12
};

constexpr CityRow HebeiPlaces[] = {  // 9 河北
    {"石家庄", "-114.48", "38.03"},  // 1
    {"保定", "-115.48", "38.85"},  // 2
    // Corrected: the old table gave a point in 甘肃.
    {"张家口", "-114.88", "40.82"},  // 3
    {"承德", "-117.93", "40.97"},  // 4
    {"唐山", "-118.02", "39.63"},  // 5
    {"廊坊", "-116.70", "39.53"},  // 6
    {"沧州", "-116.83", "38.33"},  // 7
    {"衡水", "-115.72", "37.72"},  // 8
    {"邢台", "-114.48", "37.05"},  // 9
    {"邯郸", "-114.47", "36.60"},  // 10
    {"秦皇岛", "-119.57", "39.95"},  // 11
};

constexpr CityRow HenanPlaces[] = {  // 10 河南
    {"郑州", "-113.65", "34.76"},  // 1
    {"安阳", "-114.35", "36.10"},  // 2
    {"新乡", "-113.85", "35.31"},  // 3
    {"许昌", "-113.81", "34.02"},  // 4
    {"平顶山", "-113.29", "33.75"},  // 5
    {"信阳", "-114.08", "32.13"},  // 6
    {"南阳", "-112.53", "33.01"},  // 7
    {"开封", "-114.35", "34.79"},  // 8
    {"洛阳", "-112.44", "34.70"},  // 9
    {"商丘", "-115.65", "34.44"},  // 10
    {"焦作", "-113.21", "35.24"},  // 11
    {"鹤壁", "-114.17", "35.90"},  // 12
    {"濮阳", "-114.98", "35.71"},  // 13
    {"周口", "-114.63", "33.63"},  // 14
    {"漯河", "-114.02", "33.56"},  // 15
    {"驻马店", "-114.02", "32.98"},  // 16
    // Corrected: the old table gave 三门 county of 浙江.
    {"三门峡", "-111.20", "34.77"},  // 17
    {"济源", "-112.58", "35.07"},  // 18
};

constexpr CityRow ShandongPlaces[] = {  // 11 山东
    {"济南", "-117.00", "36.65"},  // 1
    {"青岛", "-120.33", "36.07"},  // 2
    {"淄博", "-118.05", "36.78"},  // 3
    {"德州", "-116.29", "37.45"},  // 4
    {"烟台", "-121.39", "37.52"},  // 5
    {"潍坊", "-119.10", "36.62"},  // 6
    {"济宁", "-116.59", "35.38"},  // 7
    {"泰安", "-117.13", "36.18"},  // 8
    {"临沂", "-118.35", "35.05"},  // 9
    {"菏泽", "-115.40", "35.20"},  // 10
    {"滨州", "-118.03", "37.36"},  // 11
    {"东营", "-118.49", "37.46"},  // 12
    {"威海", "-122.10", "37.50"},  // 13
    {"枣庄", "-117.57", "34.86"},  // 14
    {"日照", "-119.46", "35.42"},  // 15
    {"莱芜", "-117.67", "36.19"},  // 16
    {"聊城", "-115.97", "36.45"},  // 17
};

constexpr CityRow ShanxiPlaces[] = {  // 12 山西
    {"太原", "-112.53", "37.87"},  // 1
    {"大同", "-113.30", "40.12"},  // 2
    {"阳泉", "-113.57", "37.85"},  // 3
    {"晋中", "-112.70", "37.60"},  // 4
    {"长治", "-113.08", "36.18"},  // 5
    {"晋城", "-112.83", "35.52"},  // 6
    {"临汾", "-111.50", "36.08"},  // 7
    {"运城", "-110.97", "35.03"},  // 8
    {"朔州", "-112.26", "39.19"},  // 9
    {"忻州", "-112.70", "38.30"},  // 10
    {"吕梁", "-111.10", "37.50"},  // 11
};

constexpr CityRow ShaanxiPlaces[] = {  // 13 陕西
    {"西安", "-108.95", "34.27"},  // 1
    {"咸阳", "-108.72", "34.36"},  // 2
    {"延安", "-109.47", "36.60"},  // 3
    {"榆林", "-109.77", "38.30"},  // 4
    {"渭南", "-109.50", "34.52"},  // 5
    {"商洛", "-109.90", "33.80"},  // 6
    {"安康", "-109.02", "32.70"},  // 7
    {"汉中", "-108.04", "33.07"},  // 8
    {"宝鸡", "-107.15", "34.38"},  // 9
    {"铜川", "-109.11", "35.09"},  // 10
};

constexpr CityRow GansuPlaces[] = {  // 14 甘肃
    {"兰州", "-103.73", "36.03"},  // 1
    {"定西", "-104.57", "35.57"},  // 2
    {"平凉", "-106.68", "35.51"},  // 3
    {"庆阳", "-107.88", "36.03"},  // 4
    {"武威", "-102.61", "37.94"},  // 5
    {"金昌", "-102.10", "38.40"},  // 6
    {"张掖", "-100.46", "38.93"},  // 7
    {"酒泉", "-98.50", "39.71"},  // 8
    {"天水", "-105.69", "34.60"},  // 9
    {"陇南", "-105.90", "35.00"},  // 10
    {"临夏", "-103.22", "35.62"},  // 11
    // Corrected (the seat, 合作): the old table gave 甘南 county of 黑龙江.
    {"甘南", "-102.91", "34.98"},  // 12
    {"白银", "-104.20", "36.50"},  // 13
    {"嘉峪关", "-98.20", "39.80"},  // 14
};

constexpr CityRow NingxiaPlaces[] = {  // 15 宁夏
    {"银川", "-106.27", "38.47"},  // 1
    {"石嘴山", "-106.39", "39.04"},  // 2
    {"吴忠", "-106.21", "37.99"},  // 3
    {"固原", "-106.28", "36.01"},  // 4
    {"中卫", "-105.18", "37.51"},  // 5
};

constexpr CityRow XinjiangPlaces[] = {  // 16 新疆
    {"乌鲁木齐", "-87.68", "43.77"},  // 1
    {"克拉玛依", "-84.77", "45.59"},  // 2
    {"石河子", "-86.03", "44.30"},  // 3
    {"昌吉", "-87.31", "44.05"},  // 4
    {"吐鲁番", "-89.19", "42.91"},  // 5
    {"巴音郭楞", "-86.15", "41.77"},  // 6
    {"阿拉尔", "-81.28", "40.55"},  // 7
    // Corrected: the old table gave a point near 喀什.
    {"阿克苏", "-80.26", "41.17"},  // 8
    {"喀什", "-75.90", "39.40"},  // 9
    {"伊犁", "-81.30", "43.90"},  // 10
    {"塔城", "-82.96", "46.74"},  // 11
    {"哈密", "-93.44", "42.78"},  // 12
    {"和田", "-79.94", "37.12"},  // 13
    {"阿勒泰", "-88.14", "47.86"},  // 14
    // Corrected (the seat, 阿图什): the old table gave a point near 库尔勒.
    {"克孜勒苏", "-76.17", "39.71"},  // 15
    {"博尔塔拉", "-82.00", "44.90"},  // 16
};

constexpr CityRow QinghaiPlaces[] = {  // 17 青海
    {"西宁", "-101.74", "36.56"},  // 1
    {"海东", "-102.10", "36.50"},  // 2
    {"黄南", "-102.02", "35.52"},  // 3
    {"海南", "-102.00", "35.50"},  // 4
    {"果洛", "-100.23", "34.48"},  // 5
    {"玉树", "-96.97", "33.03"},  // 6
    {"海西", "-97.40", "37.30"},  // 7
    {"海北", "-101.60", "37.30"},  // 8
};

constexpr CityRow TibetPlaces[] = {  // 18 西藏
    {"拉萨", "-91.11", "29.97"},  // 1
    {"日喀则", "-88.82", "29.28"},  // 2
    {"山南", "-91.70", "29.20"},  // 3
    {"林芝", "-94.25", "29.59"},  // 4
    {"昌都", "-97.10", "31.10"},  // 5
    {"那曲", "-92.10", "31.47"},  // 6
    {"阿里", "-80.50", "32.50"},  // 7
};

constexpr CityRow SichuanPlaces[] = {  // 19 四川
    {"成都", "-104.06", "30.67"},  // 1
    {"攀枝花", "-101.70", "26.60"},  // 2
    {"自贡", "-104.70", "29.30"},  // 3
    {"绵阳", "-104.73", "31.48"},  // 4
    {"南充", "-106.10", "30.80"},  // 5
    {"达州", "-107.50", "31.20"},  // 6
    {"遂宁", "-105.58", "30.52"},  // 7
    {"广安", "-106.61", "30.48"},  // 8
    {"巴中", "-106.73", "31.86"},  // 9
    {"泸州", "-105.39", "28.91"},  // 10
    {"宜宾", "-104.56", "29.77"},  // 11
    {"内江", "-105.04", "29.59"},  // 12
    {"资阳", "-104.60", "30.19"},  // 13
    {"乐山", "-103.70", "29.60"},  // 14
    {"眉山", "-103.83", "30.05"},  // 15
    {"凉山", "-102.20", "27.90"},  // 16
    {"雅安", "-102.97", "29.97"},  // 17
    {"甘孜", "-99.96", "31.64"},  // 18
    {"阿坝", "-101.72", "31.93"},  // 19
    {"德阳", "-104.37", "31.13"},  // 20
    {"广元", "-105.80", "32.40"},  // 21
};

constexpr CityRow YunnanPlaces[] = {  // 20 云南
    {"昆明", "-102.73", "25.04"},  // 1
    {"大理", "-100.19", "25.69"},  // 2
    {"红河", "-102.42", "23.35"},  // 3
    {"曲靖", "-103.79", "25.51"},  // 4
    {"保山", "-99.10", "25.10"},  // 5
    {"文山", "-104.24", "23.37"},  // 6
    {"玉溪", "-102.52", "24.35"},  // 7
    {"楚雄", "-101.54", "25.01"},  // 8
    {"普洱", "-101.00", "22.79"},  // 9
    // Corrected: the old table gave latitude 29.32.
    {"昭通", "-103.72", "27.34"},  // 10
    {"临沧", "-100.00", "23.80"},  // 11
    {"怒江", "-98.80", "25.80"},  // 12
    {"迪庆", "-99.70", "27.70"},  // 13
    {"丽江", "-100.25", "26.86"},  // 14
    {"德宏", "-98.50", "24.40"},  // 15
    {"西双版纳", "-100.80", "22.00"},  // 16
};

constexpr CityRow GuizhouPlaces[] = {  // 21 贵州
    {"贵阳", "-106.71", "26.57"},  // 1
    {"遵义", "-106.90", "27.70"},  // 2
    {"安顺", "-105.92", "26.25"},  // 3
    {"黔南", "-107.50", "26.20"},  // 4
    {"黔东南", "-107.90", "26.60"},  // 5
    {"铜仁", "-109.21", "27.73"},  // 6
    {"毕节", "-105.29", "27.32"},  // 7
    {"六盘水", "-104.82", "26.58"},  // 8
    // Corrected (the seat, 兴义): the old table gave 黔西 county of 毕节.
    {"黔西南", "-104.90", "25.09"},  // 9
};

constexpr CityRow HunanPlaces[] = {  // 22 湖南
    {"长沙", "-113.00", "28.21"},  // 1
    {"湘潭", "-112.91", "27.87"},  // 2
    {"株洲", "-113.16", "27.83"},  // 3
    {"衡阳", "-112.39", "26.98"},  // 4
    {"郴州", "-113.00", "25.79"},  // 5
    {"常德", "-111.69", "29.05"},  // 6
    {"益阳", "-112.33", "28.60"},  // 7
    {"娄底", "-111.96", "27.71"},  // 8
    {"邵阳", "-111.50", "27.22"},  // 9
    {"岳阳", "-113.09", "29.37"},  // 10
    // Corrected: the old table gave a point in 甘肃.
    {"张家界", "-110.48", "29.12"},  // 11
    {"怀化", "-109.95", "27.52"},  // 12
    {"永州", "-111.63", "26.22"},  // 13
    {"湘西", "-109.70", "28.30"},  // 14
};

constexpr CityRow HubeiPlaces[] = {  // 23 湖北
    {"武汉", "-114.31", "30.52"},  // 1
    // Corrected: the old table gave latitude 30.02.
    {"襄阳", "-112.14", "32.04"},  // 2
    {"鄂州", "-114.80", "30.30"},  // 3
    {"孝感", "-113.91", "31.92"},  // 4
    {"黄冈", "-114.87", "30.44"},  // 5
    {"黄石", "-115.09", "30.20"},  // 6
    {"咸宁", "-114.28", "29.87"},  // 7
    {"荆州", "-112.10", "30.30"},  // 8
    {"宜昌", "-111.30", "30.70"},  // 9
    {"恩施", "-109.40", "30.20"},  // 10
    {"十堰", "-110.79", "32.65"},  // 11
    {"神农架", "-110.67", "31.75"},  // 12
    {"随州", "-113.30", "31.60"},  // 13
    {"荆门", "-112.19", "31.02"},  // 14
    {"天门", "-113.17", "30.67"},  // 15
    {"仙桃", "-113.45", "30.37"},  // 16
    {"潜江", "-112.88", "30.42"},  // 17
};

constexpr CityRow AnhuiPlaces[] = {  // 24 安徽
    {"合肥", "-117.27", "31.86"},  // 1
    {"蚌埠", "-117.34", "32.93"},  // 2
    {"芜湖", "-118.38", "31.33"},  // 3
    {"淮南", "-116.98", "32.62"},  // 4
    {"马鞍山", "-118.48", "31.56"},  // 5
    {"安庆", "-117.03", "30.52"},  // 6
    {"宿州", "-116.97", "33.63"},  // 7
    {"阜阳", "-115.81", "32.89"},  // 8
    {"亳州", "-115.70", "33.80"},  // 9
    {"黄山", "-118.10", "30.00"},  // 10
    {"滁州", "-118.31", "32.33"},  // 11
    {"淮北", "-116.77", "33.97"},  // 12
    {"铜陵", "-117.82", "30.93"},  // 13
    {"宣城", "-118.73", "31.95"},  // 14
    {"六安", "-116.49", "31.73"},  // 15
    {"巢湖", "-117.87", "31.62"},  // 16
    {"池州", "-117.40", "30.60"},  // 17
};

constexpr CityRow JiangsuPlaces[] = {  // 25 江苏
    {"南京", "-118.78", "32.04"},  // 1
    {"无锡", "-120.29", "31.59"},  // 2
    {"镇江", "-119.44", "32.20"},  // 3
    {"苏州", "-120.62", "31.32"},  // 4
    {"南通", "-120.86", "32.01"},  // 5
    {"扬州", "-119.42", "32.39"},  // 6
    {"盐城", "-120.13", "33.38"},  // 7
    {"徐州", "-117.20", "34.26"},  // 8
    {"淮安", "-119.15", "33.50"},  // 9
    {"连云港", "-119.16", "34.59"},  // 10
    {"常州", "-119.95", "31.79"},  // 11
    {"泰州", "-119.90", "32.49"},  // 12
    {"宿迁", "-118.30", "33.96"},  // 13
};

constexpr CityRow ZhejiangPlaces[] = {  // 26 浙江
    {"杭州", "-120.19", "30.26"},  // 1
    {"湖州", "-120.10", "30.86"},  // 2
    {"嘉兴", "-120.76", "30.77"},  // 3
    {"宁波", "-121.56", "29.86"},  // 4
    {"绍兴", "-120.58", "30.01"},  // 5
    {"台州", "-121.10", "28.80"},  // 6
    {"温州", "-120.65", "28.01"},  // 7
    {"丽水", "-119.92", "28.45"},  // 8
    {"金华", "-119.64", "29.12"},  // 9
    {"衢州", "-118.88", "28.97"},  // 10
    {"舟山", "-122.10", "30.00"},  // 11
};

constexpr CityRow JiangxiPlaces[] = {  // 27 江西
    {"南昌", "-115.89", "28.68"},  // 1
    {"九江", "-115.97", "29.71"},  // 2
    {"上饶", "-117.97", "28.47"},  // 3
    {"抚州", "-116.34", "28.00"},  // 4
    {"宜春", "-114.38", "27.81"},  // 5
    {"吉安", "-114.97", "27.12"},  // 6
    {"赣州", "-114.92", "25.85"},  // 7
    {"景德镇", "-117.22", "29.30"},  // 8
    {"萍乡", "-113.85", "27.60"},  // 9
    {"新余", "-114.92", "27.81"},  // 10
    {"鹰潭", "-117.02", "28.23"},  // 11
};

constexpr CityRow FujianPlaces[] = {  // 28 福建
    {"福州", "-119.30", "26.08"},  // 1
    {"厦门", "-118.10", "24.46"},  // 2
    {"宁德", "-119.52", "26.65"},  // 3
    {"莆田", "-119.00", "25.44"},  // 4
    {"泉州", "-118.58", "24.93"},  // 5
    {"漳州", "-117.35", "24.52"},  // 6
    {"龙岩", "-117.01", "25.12"},  // 7
    {"三明", "-117.61", "26.23"},  // 8
    {"南平", "-118.11", "27.34"},  // 9
};

constexpr CityRow GuangdongPlaces[] = {  // 29 广东
    {"广州", "-113.23", "23.16"},  // 1
    {"韶关", "-113.62", "24.84"},  // 2
    {"惠州", "-114.40", "23.09"},  // 3
    {"梅州", "-116.10", "24.55"},  // 4
    {"汕头", "-116.69", "23.39"},  // 5
    {"深圳", "-114.07", "22.62"},  // 6
    {"珠海", "-113.52", "22.30"},  // 7
    {"佛山", "-113.11", "23.05"},  // 8
    {"肇庆", "-112.44", "23.05"},  // 9
    {"湛江", "-110.30", "21.20"},  // 10
    {"江门", "-113.06", "22.61"},  // 11
    {"河源", "-114.68", "23.73"},  // 12
    {"清远", "-113.01", "23.70"},  // 13
    {"云浮", "-112.02", "22.93"},  // 14
    {"潮州", "-116.63", "23.68"},  // 15
    {"东莞", "-113.75", "23.04"},  // 16
    {"中山", "-113.38", "22.52"},  // 17
    {"阳江", "-111.95", "21.85"},  // 18
    {"揭阳", "-116.35", "23.55"},  // 19
    {"茂名", "-110.88", "21.68"},  // 20
    {"汕尾", "-115.30", "22.70"},  // 21
};

constexpr CityRow GuangxiPlaces[] = {  // 30 广西
    {"南宁", "-108.33", "22.84"},  // 1
    {"崇左", "-107.37", "22.42"},  // 2
    {"柳州", "-109.40", "24.33"},  // 3
    {"来宾", "-109.24", "23.76"},  // 4
    {"桂林", "-110.28", "25.29"},  // 5
    {"梧州", "-111.34", "23.51"},  // 6
    {"贺州", "-111.50", "24.40"},  // 7
    {"贵港", "-109.60", "23.10"},  // 8
    {"玉林", "-110.14", "22.64"},  // 9
    {"百色", "-106.62", "23.91"},  // 10
    {"钦州", "-108.61", "21.96"},  // 11
    {"河池", "-108.06", "24.70"},  // 12
    {"北海", "-109.12", "21.49"},  // 13
    {"防城港", "-108.35", "21.78"},  // 14
};

constexpr CityRow HainanPlaces[] = {  // 31 海南
    {"海口", "-110.35", "20.02"},  // 1
    {"三亚", "-109.50", "18.20"},  // 2
    {"东方", "-108.63", "19.10"},  // 3
    {"临高", "-109.68", "19.92"},  // 4
    {"澄迈", "-110.00", "19.73"},  // 5
    {"儋州", "-109.57", "19.52"},  // 6
    {"昌江", "-109.05", "19.25"},  // 7
    {"白沙", "-109.45", "19.23"},  // 8
    {"琼中", "-109.83", "19.03"},  // 9
    {"定安", "-110.32", "19.70"},  // 10
    {"屯昌", "-110.10", "19.37"},  // 11
    {"琼海", "-110.47", "19.25"},  // 12
    {"文昌", "-110.80", "19.55"},  // 13
    {"保亭", "-109.70", "18.63"},  // 14
    {"万宁", "-110.40", "18.80"},  // 15
    {"陵水", "-110.03", "18.50"},  // 16
    {"西沙", "-111.92", "17.37"},  // 17
    {"南沙", "-114.90", "9.39"},  // 18
    {"乐东", "-109.17", "18.75"},  // 19
    {"五指山", "-109.52", "18.78"},  // 20
};

constexpr CityRow HongKongPlaces[] = {  // 32 香港
    {"香港岛", "-114.18", "22.20"},  // 1
};

constexpr CityRow MacaoPlaces[] = {  // 33 澳门
    {"澳门", "-113.33", "22.13"},  // 1
};

constexpr CityRow TaiwanPlaces[] = {  // 34 台湾
    {"台北", "-121.50", "25.03"},  // 1
};

constexpr CityRow AbroadPlaces[] = {  // 35 国外
    {"南极点", "0.00", "-90.00"},  // 1
    {"北极点", "0.00", "90.00"},  // 2
};


}  // namespace

// The weather site's number of each province (ProvinceRow::site) follows the site's own order, not
// the order of this list: 山西 is 10, 陕西 11, 山东 12, and so on.
const ProvinceRow Provinces[ProvinceCount + 1] = {
    {"", 0, 0, nullptr},
    {"北京", 1, std::size(BeijingPlaces), BeijingPlaces},
    {"上海", 2, std::size(ShanghaiPlaces), ShanghaiPlaces},
    {"天津", 3, std::size(TianjinPlaces), TianjinPlaces},
    {"重庆", 4, std::size(ChongqingPlaces), ChongqingPlaces},
    {"黑龙江", 5, std::size(HeilongjiangPlaces), HeilongjiangPlaces},
    {"吉林", 6, std::size(JilinPlaces), JilinPlaces},
    {"辽宁", 7, std::size(LiaoningPlaces), LiaoningPlaces},
    {"内蒙古", 8, std::size(InnerMongoliaPlaces), InnerMongoliaPlaces},
    {"河北", 9, std::size(HebeiPlaces), HebeiPlaces},
    {"河南", 18, std::size(HenanPlaces), HenanPlaces},
    {"山东", 12, std::size(ShandongPlaces), ShandongPlaces},
    {"山西", 10, std::size(ShanxiPlaces), ShanxiPlaces},
    {"陕西", 11, std::size(ShaanxiPlaces), ShaanxiPlaces},
    {"甘肃", 16, std::size(GansuPlaces), GansuPlaces},
    {"宁夏", 17, std::size(NingxiaPlaces), NingxiaPlaces},
    {"新疆", 13, std::size(XinjiangPlaces), XinjiangPlaces},
    {"青海", 15, std::size(QinghaiPlaces), QinghaiPlaces},
    {"西藏", 14, std::size(TibetPlaces), TibetPlaces},
    {"四川", 27, std::size(SichuanPlaces), SichuanPlaces},
    {"云南", 29, std::size(YunnanPlaces), YunnanPlaces},
    {"贵州", 26, std::size(GuizhouPlaces), GuizhouPlaces},
    {"湖南", 25, std::size(HunanPlaces), HunanPlaces},
    {"湖北", 20, std::size(HubeiPlaces), HubeiPlaces},
    {"安徽", 22, std::size(AnhuiPlaces), AnhuiPlaces},
    {"江苏", 19, std::size(JiangsuPlaces), JiangsuPlaces},
    {"浙江", 21, std::size(ZhejiangPlaces), ZhejiangPlaces},
    {"江西", 24, std::size(JiangxiPlaces), JiangxiPlaces},
    {"福建", 23, std::size(FujianPlaces), FujianPlaces},
    {"广东", 28, std::size(GuangdongPlaces), GuangdongPlaces},
    {"广西", 30, std::size(GuangxiPlaces), GuangxiPlaces},
    {"海南", 31, std::size(HainanPlaces), HainanPlaces},
    {"香港", 32, std::size(HongKongPlaces), HongKongPlaces},
    {"澳门", 33, std::size(MacaoPlaces), MacaoPlaces},
    {"台湾", 34, std::size(TaiwanPlaces), TaiwanPlaces},
    {"国外", 0, std::size(AbroadPlaces), AbroadPlaces},
};

namespace {

// Province indexes the weather-code rules name.
constexpr int Beijing = 1;
constexpr int Shanghai = 2;
constexpr int Tianjin = 3;
constexpr int Chongqing = 4;
constexpr int Hainan = 31;
constexpr int Abroad = 35;

bool IsProvince(int province) { return province >= 1 && province <= ProvinceCount; }

// The place the numeric lookups answer for: a province outside the table is province 1, then a city
// outside its province is city 1.
const CityRow& NormalizedRow(int& province, int& city) {
    if (!IsProvince(province)) province = 1;
    if (city < 1 || city > Provinces[province].city_count) city = 1;
    return Provinces[province].cities[city - 1];
}

// The value of a stored two-decimal text; the empty text (no coordinates) reads as 0. from_chars
// parses in the C locale whatever the process locale, and rounds to the nearest double, so "-116.38"
// gives exactly the double of the literal -116.38.
double DegreesOf(const char* text) {
    const std::string_view view(text);
    double value = 0.0;
    const auto [end, error] = std::from_chars(view.data(), view.data() + view.size(), value);
    return error == std::errc() && end == view.data() + view.size() ? value : 0.0;
}

// A weather-site city code reads 101 (China), the site's province number (2 digits), the city within
// that province (2 digits) and the station (2 digits, 01 the city's own). The districts of the four
// municipalities are cities of their own with station 00.
constexpr std::int32_t SiteCode(int site, int city, int station) {
    return 101000000 + 10000 * site + 100 * city + station;
}

// 上海's districts, in table order; the site skips 04 and 12.
constexpr std::int32_t ShanghaiCodes[] = {101020100, 101020200, 101020300, 101020500,
                                          101020600, 101020700, 101020800, 101020900,
                                          101021000, 101021100, 101021300};
static_assert(std::size(ShanghaiCodes) == 11);

// Cities of the provinces whose site code does not follow SiteCode(site, city, 1).
struct WeatherException {
    int province;
    int city;
    std::int32_t code;
};

constexpr WeatherException WeatherExceptions[] = {
    {5, 10, 101051002},   // 黑龙江 七台河
    {9, 4, 101090402},    // 河北 承德
    {12, 11, 101101100},  // 山西 吕梁
    {13, 2, 101110200},   // 陕西 咸阳
    {13, 3, 101110300},   // 陕西 延安
    {22, 7, 101250700},   // 湖南 益阳
    {22, 13, 101251401},  // 湖南 永州
    {22, 14, 101251501},  // 湖南 湘西
    {29, 8, 101280800},   // 广东 佛山
    {31, 14, 101310214},  // 海南 保亭
    {31, 15, 101310215},  // 海南 万宁
    {31, 16, 101310216},  // 海南 陵水
    {31, 17, 101310217},  // 海南 西沙
    {31, 18, 101310220},  // 海南 南沙
    {31, 19, 101310221},  // 海南 乐东
    {31, 20, 101310222},  // 海南 五指山
};

// The code of a place whose indexes are already in the table.
std::int32_t WeatherCodeOf(int province, int city) {
    switch (province) {
    case Beijing:  // 天安门 shares the code of 市区; the districts follow from 01 on
        return city == 1 ? SiteCode(1, 1, 0) : SiteCode(1, city - 1, 0);
    case Shanghai:
        return ShanghaiCodes[city - 1];
    case Tianjin:  // the site skips 13 for 蓟县
        return city <= 12 ? SiteCode(3, city, 0) : SiteCode(3, 14, 0);
    case Chongqing:  // the site skips 12 after 黔江, and 35 before 秀山
        return city <= 11 ? SiteCode(4, city, 0) : city <= 33 ? SiteCode(4, city + 1, 0) : SiteCode(4, 36, 0);
    case Abroad:
        return 0;
    default:
        break;
    }
    for (const WeatherException& e : WeatherExceptions) {
        if (e.province == province && e.city == city) return e.code;
    }
    // 海南's cities 东方 .. 文昌 are stations of the site's city 02.
    if (province == Hainan && city >= 3 && city <= 13) return SiteCode(31, 2, city - 1);
    return SiteCode(Provinces[province].site, city, 1);
}

}  // namespace

std::string CityText(int province, int city) {
    if (province == -1) return "中国";
    if (province == 0) return std::to_string(ChineseProvinceCount);
    if (!IsProvince(province)) return {};
    const ProvinceRow& row = Provinces[province];
    if (city == -1) return row.name;
    if (city == 0) return std::to_string(row.city_count);
    if (city >= 1 && city <= row.city_count) return row.cities[city - 1].name;
    return {};
}

double CityLongitude(int province, int city) { return DegreesOf(NormalizedRow(province, city).longitude); }

double CityLatitude(int province, int city) { return DegreesOf(NormalizedRow(province, city).latitude); }

std::int32_t CityWeatherCode(int province, int city) {
    NormalizedRow(province, city);
    return WeatherCodeOf(province, city);
}

CityRecord CityRecordOf(int province, int city) {
    const CityRow& row = NormalizedRow(province, city);
    CityRecord record;
    record.province = province;
    record.city = city;
    record.name = row.name;
    record.longitude = DegreesOf(row.longitude);
    record.latitude = DegreesOf(row.latitude);
    record.weather_code = WeatherCodeOf(province, city);
    return record;
}

int CityCount(int province) { return IsProvince(province) ? Provinces[province].city_count : 0; }

bool FindCity(const std::string& province_name, const std::string& city_name, int& province, int& city) {
    for (int p = 1; p <= ProvinceCount; ++p) {
        const ProvinceRow& row = Provinces[p];
        if (province_name != row.name) continue;
        for (int c = 1; c <= row.city_count; ++c) {
            if (city_name == row.cities[c - 1].name) {
                province = p;
                city = c;
                return true;
            }
        }
        return false;
    }
    return false;
}

// snprintf rounds the exact binary value to four decimals; the stored values have two, so the last
// two digits are always 00 (116.38 is held as 116.37999..., which rounds back to 116.3800).
std::string LongitudeText(double x) {
    if (!std::isfinite(x)) return {};
    char digits[32];
    std::snprintf(digits, sizeof digits, "%08.4f", std::fabs(x));
    return std::string(x > 0 ? "西经" : "东经") + digits + "度";
}

std::string LatitudeText(double y) {
    if (!std::isfinite(y)) return {};
    char digits[32];
    std::snprintf(digits, sizeof digits, "%07.4f", std::fabs(y));
    return std::string(y > 0 ? "北纬" : "南纬") + digits + "度";
}

int AcceptProvinceIndex(const std::string& stored) {
    std::int32_t index = 0;
    return text::ParseCanonicalInteger(stored, index) && IsProvince(index) ? index : 1;
}

int AcceptCityIndex(const std::string& stored, int province) {
    if (!IsProvince(province)) province = 1;
    std::int32_t index = 0;
    return text::ParseCanonicalInteger(stored, index) && index >= 1 && index <= Provinces[province].city_count ? index : 1;
}

LocalPlace LoadLocalPlace(const std::string& stored_prov, const std::string& stored_city) {
    LocalPlace place;
    place.prov_index = AcceptProvinceIndex(stored_prov);
    place.city_index = AcceptCityIndex(stored_city, place.prov_index);
    place.longitude = CityLongitude(place.prov_index, place.city_index);
    place.latitude = CityLatitude(place.prov_index, place.city_index);
    return place;
}

}  // namespace places
