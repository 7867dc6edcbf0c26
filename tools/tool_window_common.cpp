#include "tools/tool_window_common.h"

#include "win/controls.h"

namespace tools {

win::Frame ToolFrame(const wchar_t* class_name, const char* item_name, HWND owner) {
    return win::Frame{
        .class_name = class_name,
        .title = std::string("橙鹿万年历：") + item_name,
        .style = WS_POPUP | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX,
        .ex_style = static_cast<DWORD>(WS_EX_DLGMODALFRAME | WS_EX_CONTROLPARENT | (owner ? 0 : WS_EX_APPWINDOW)),
    };
}

const win::WindowFont* TableFont(win::Window& window, int height) {
    // 新宋体 is the fixed-width face of 宋体 on Chinese Windows; elsewhere (Wine maps the Chinese
    // faces to whatever font is at hand) one of the monospaced Chinese faces takes its place. The
    // samples hold every kind of character the tables and query results use.
    return window.MakeColumnFont(height,
                           {"新宋体", "NSimSun", "WenQuanYi Zen Hei Mono", "文泉驿等宽正黑", "Noto Sans Mono CJK SC",
                            "MS Gothic"},
                           {"0123456789:- ADBC前", "闰正月大对应公历～塑日望日小寒", "日出时刻天亮天黑北京天安门第个条件日→"});
}

int RunToolWindow(HWND window) {
    if (window == nullptr) return 0;
    win::RunModal(window);
    return IDCANCEL;
}

}  // namespace tools
