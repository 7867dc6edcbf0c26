#include "views/calendar_page.h"

#include "views/day_page_window.h"
#include "views/month_page_window.h"

namespace views {

void PageWindow::OnCancel() { SendMessageW(handle(), kPutAwayMessage, 0, 0); }

POINT PageWindow::MenuPoint() const {
    POINT p{scale().Px(8), scale().Px(8)};
    ClientToScreen(handle(), &p);
    return p;
}

LRESULT PageWindow::OnMessage(UINT message, WPARAM wparam, LPARAM lparam) {
    if (message == kPutAwayMessage) {
        ShowWindow(handle(), SW_HIDE);
        return 0;
    }
    return Window::OnMessage(message, wparam, lparam);
}

// The pages: view, how it is made, its timers (hourly chime, automatic transparency, alarms),
// whether it has the tray icon (and takes dropped files), whether a press on its body drags it.
const CalendarPage kPages[] = {
    {CalendarView::kDay, CreateDayPage, 2814, 2815, 2816, true, true},
    {CalendarView::kMonth, CreateMonthPage, 2997, 2998, 2999, false, false},
};

personal::DayTexts ShowPersonalDays(const PageOptions& options, astro::DayNumber day, HWND page) {
    if (options.background_sound) options.background_sound("", page);
    personal::DayTexts texts = options.personal_days ? options.personal_days(day) : personal::DayTexts{};
    if (options.background_sound && !texts.audio.empty()) options.background_sound(texts.audio, page);
    return texts;
}

const CalendarPage& PageOf(CalendarView view) { return kPages[view == CalendarView::kDay ? 0 : 1]; }

PageWindow* PageWindowOf(HWND window) { return win::StateOf<PageWindow>(window); }

HWND CreatePageWindow(std::unique_ptr<PageWindow> page, const wchar_t* class_name, const char* title, DWORD style,
                      DWORD ex_style, SIZE size) {
    return win::Create(std::move(page),
                       win::Frame{.class_name = class_name,
                                  .title = title,
                                  .style = style,
                                  .ex_style = ex_style,
                                  .background = kPageBackground,
                                  .class_style = CS_DBLCLKS,
                                  .width = size.cx,
                                  .height = size.cy,
                                  .shown = false},
                       nullptr);
}

}  // namespace views
