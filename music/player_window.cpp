#include "music/player_window.h"

#include <commctrl.h>

#include <algorithm>
#include <memory>
#include <vector>

#include "music/lyric_view.h"
#include "music/player.h"
#include "text/wide.h"
#include "win/accessible.h"
#include "win/controls.h"
#include "win/handles.h"
#include "win/images.h"
#include "win/services.h"
#include "win/shell_services.h"
#include "win/window.h"

namespace music {

namespace {

constexpr int kWidth = 273;
constexpr int kHeight = 100;
constexpr int kListHeight = 150;
constexpr UINT_PTR kTickTimer = 1;
constexpr COLORREF kSkin = RGB(160, 255, 255);
constexpr COLORREF kInk = RGB(0, 64, 128);
constexpr COLORREF kTrack = RGB(255, 255, 255);
constexpr COLORREF kBand = RGB(255, 200, 120);       // the range of partial play
constexpr COLORREF kLoopBand = RGB(150, 230, 150);   // the same while looping
constexpr COLORREF kPressed = RGB(120, 220, 230);
constexpr COLORREF kPlayingInk = RGB(200, 30, 30);  // the play list's playing entry
constexpr int kListItemHeight = 16;
constexpr SIZE kImageSize{20, 16};

const char* const kButtonTexts[kButtonCount] = {"△", "＞", "|<", ">|", "<|", "|>", "□", "▁", "×"};
const char* const kButtonTips[kButtonCount] = {"打开文件", "播放/暂停", "还原", "结束", "上一首",
                                               "下一首", "关闭", "最小化", "退出"};
const char* const kImageNames[3][2] = {{"CTL_SOUND", "CTL_MUTE"}, {"CTL_LYRIC", "CTL_NOLRC"}, {"CTL_LIST", "CTL_NOLIST"}};

}  // namespace

RECT ButtonRect(int button) { return RECT{8 + button * 29, 74, 8 + button * 29 + 27, 94}; }
RECT ProgressBarRect() { return RECT{8, 28, 8 + 256, 42}; }
RECT VolumeBarRect() { return RECT{190, 52, 240, 62}; }
RECT ImageRect(int image) { return RECT{16 + image * 26, 49, 16 + image * 26 + 20, 65}; }

namespace {

constexpr UINT_PTR kSettleTimer = 2;  // the player goes above a new owner again
constexpr int kSettlingRounds = 4;

// An owned window stays above its owner when the owner comes to the front, but only once it is
// there: a new owner does not move it. Just above a topmost owner is among the topmost windows.
void StayAboveOwner(HWND player) {
    HWND owner = GetWindow(player, GW_OWNER);
    if (!owner) return;
    for (HWND w = GetWindow(owner, GW_HWNDPREV); w; w = GetWindow(w, GW_HWNDPREV)) {
        if (w == player) return;  // above it already
    }
    const bool owner_topmost = (GetWindowLongPtrW(owner, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0;
    SetWindowPos(player, owner_topmost ? HWND_TOPMOST : HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

std::vector<std::string> SplitChosen(const std::wstring& buffer) {
    // The open dialog's answer: the folder, then the names, each ended by a zero; one name alone is
    // a whole path.
    std::vector<std::wstring> parts;
    for (size_t at = 0; at < buffer.size() && buffer[at] != L'\0';) {
        const size_t end = buffer.find(L'\0', at);
        parts.push_back(buffer.substr(at, end - at));
        at = end + 1;
    }
    std::vector<std::string> paths;
    if (parts.size() == 1) {
        paths.push_back(text::WideToGbk(parts[0]));
    } else {
        std::wstring folder = parts.empty() ? L"" : parts[0];
        if (!folder.empty() && folder.back() != L'\\') folder += L'\\';
        for (size_t i = 1; i < parts.size(); ++i) paths.push_back(text::WideToGbk(folder + parts[i]));
    }
    return paths;
}

struct PlayerWindow : win::Window {
    PlayerContext context;
    std::unique_ptr<Player> player;
    LyricView lyrics;
    HWND list = nullptr, display = nullptr, tooltip = nullptr;
    const win::WindowFont* font = nullptr;
    const win::WindowFont* small_font = nullptr;
    win::ScaledImage images[3][2];  // rendered at the scale nearest to the window's
    win::Colours colours;
    bool list_shown = false, topmost = false;
    int pressed = -1;              // the text button held down
    int marked = 0;                // the entry the list shows as playing
    // Escape went down in this window. Its release closes the window only then: the release of an
    // Escape that closed a menu or a dialog comes here too, after they took the press.
    bool escape_down = false;
    int settling = 0;  // rounds of kSettleTimer still to come
    int dragging = 0;              // 1 the progress thumb, 2 the volume thumb
    int drag_value = 0;
    // What a screen reader reads of the skin: the file and its time, the bars, the images that
    // switch, the buttons by what they do, and the play list.
    win::AccessibleContent accessible{*this, [this] { return AccessibleItems(); }};

    win::AccessibleItems AccessibleItems() const {
        namespace role = win::role;
        namespace is = win::state;
        win::AccessibleItems items;
        if (!player) return items;
        items.push_back(win::PaintedItem(player->TitleText().empty() ? "没有打开的文件" : player->TitleText(),
                                       role::kStaticText, is::kReadOnly, RECT{10, 6, 186, 22}));
        items.push_back(win::PaintedItem("时间", role::kStaticText, is::kReadOnly, RECT{186, 6, kWidth - 8, 22},
                                       player->TimeLabel()));
        items.push_back(win::PaintedItem("进度", role::kSlider, 0, ProgressBarRect(), player->TimeLabel()));
        const char* const image_names[3] = {"静音", "显示歌词", "显示播放列表"};
        const bool image_on[3] = {player->mute(), !lyrics.hidden(), list_shown};
        for (int i = 0; i < 3; ++i)
            items.push_back(win::PaintedItem(image_names[i], role::kCheckButton, image_on[i] ? is::kChecked : 0,
                                           ImageRect(i)));
        items.push_back(win::PaintedItem("音量", role::kSlider, 0, VolumeBarRect(), std::to_string(player->volume())));
        for (int b = 0; b < kButtonCount; ++b) {
            // The play button says what a press does now.
            const std::string name = b != kPlayButton ? kButtonTips[b] : player->PlayButtonText() == kPauseText ? "暂停" : "播放";
            items.push_back(win::PaintedItem(name, role::kPushButton, b == pressed ? is::kPressed : 0, ButtonRect(b)));
        }
        items.push_back(win::WindowItem(list));
        return items;
    }

    bool OnCreate() override {
        font = MakeFont("宋体", 12, FW_NORMAL);
        small_font = MakeFont("宋体", 12, FW_BOLD);
        LoadImages();
        // MCI draws nothing for sound, but it wants a window: a hidden one.
        display = AddControl(L"STATIC", "", 0, 0, 0, 1, 1, kDisplayId);
        ShowWindow(display, SW_HIDE);
        // Drawn by the window: the playing entry has a mark of its own, apart from the selection,
        // which is the user's.
        list = AddControl(L"LISTBOX", "", WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | LBS_OWNERDRAWFIXED | LBS_HASSTRINGS,
                          8, kHeight, kWidth - 16, kListHeight - 8, kPlayListId, font, WS_EX_CLIENTEDGE);
        SetItemHeight(list, kListItemHeight);
        ShowWindow(list, SW_HIDE);
        SetWindowSubclass(list, ListKeys, 1, reinterpret_cast<DWORD_PTR>(this));
        win::NameControl(list, "播放列表");
        tooltip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr, WS_POPUP | TTS_ALWAYSTIP, 0, 0, 0, 0,
                                  handle(), nullptr, GetModuleHandleW(nullptr), nullptr);
        for (int b = 0; b < kButtonCount; ++b) {
            const std::wstring tip = text::GbkToWide(kButtonTips[b]);
            TTTOOLINFOW info{};
            info.cbSize = sizeof info;
            info.uFlags = TTF_SUBCLASS;
            info.hwnd = handle();
            info.uId = static_cast<UINT_PTR>(b + 1);
            info.rect = scale().Rect(ButtonRect(b));
            info.lpszText = const_cast<wchar_t*>(tip.c_str());
            SendMessageW(tooltip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&info));
        }
        // A system menu without 最大化 and 大小 (at positions 4 and 2).
        HMENU system = GetSystemMenu(handle(), FALSE);
        DeleteMenu(system, 4, MF_BYPOSITION);
        DeleteMenu(system, 2, MF_BYPOSITION);
        win::AcceptDroppedFiles(handle());

        player = std::make_unique<Player>(*context.mci, reinterpret_cast<std::uintptr_t>(display),
                                          [](const std::string& p) { return win::FileExists(p); });
        player->on_opened = [this](const std::string& path, std::int32_t total) {
            lyrics.Load(path, context.lyric_folder ? *context.lyric_folder : std::string(), total);
        };
        player->on_closed = [this] { lyrics.Unload(); };
        if (context.history) player->LoadList(*context.history);
        lyrics.Start(handle(), context.lyric_style, context.lyric_top);
        RefreshList();
        PlaceCentred(kWidth, kHeight);
        return true;
    }

    void LoadImages() {
        for (int i = 0; i < 3; ++i)
            for (int j = 0; j < 2; ++j) images[i][j].Load(kImageNames[i][j], kImageSize, scale().dpi());
    }

    // At another DPI: the images of that scale, the buttons' tooltips where the buttons now are.
    void OnDpiChanged() override {
        LoadImages();
        for (int b = 0; b < kButtonCount; ++b) {
            TTTOOLINFOW info{};
            info.cbSize = sizeof info;
            info.hwnd = handle();
            info.uId = static_cast<UINT_PTR>(b + 1);
            info.rect = scale().Rect(ButtonRect(b));
            SendMessageW(tooltip, TTM_NEWTOOLRECTW, 0, reinterpret_cast<LPARAM>(&info));
        }
    }

    void OnDestroy() override {
        KillTimer(handle(), kTickTimer);
        if (context.history) *context.history = player->StoredList();
        player.reset();  // "Close AudioMCI"
        lyrics.Stop();
        RemoveWindowSubclass(list, ListKeys, 1);
        if (context.closed) context.closed();
    }

    // --- what the window shows follows the player after every action
    void Sync() {
        if (player->timer_running()) {
            SetTimer(handle(), kTickTimer, 100, nullptr);
        } else {
            KillTimer(handle(), kTickTimer);
        }
        if (marked != player->list().current) {
            marked = player->list().current;
            InvalidateRect(list, nullptr, FALSE);
        }
        lyrics.Show(player->position_ms(), player->total_length());
        InvalidateRect(handle(), nullptr, FALSE);
    }

    // The list box filled again after the list changed (`before` it was so). The selection stays on
    // the file it was on, or, when that file left the list, on the entry now in its place.
    void RefreshList(const std::vector<std::string>& before = {}) {
        const int selected = SelectedEntry();
        const std::string chosen =
            selected >= 1 && selected <= static_cast<int>(before.size()) ? before[static_cast<size_t>(selected - 1)] : "";
        SendMessageW(list, LB_RESETCONTENT, 0, 0);
        for (const std::string& e : player->list().entries)
            SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text::GbkToWide(FileNameOf(e)).c_str()));
        int k = chosen.empty() ? 0 : player->list().Find(chosen);
        if (k == 0 && selected >= 1) k = std::min(selected, player->list().Count());
        if (k >= 1) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(k - 1), 0);
        marked = player->list().current;
    }

    int SelectedEntry() const { return static_cast<int>(SendMessageW(list, LB_GETCURSEL, 0, 0)) + 1; }

    // Carries out an action of the player, then shows what changed: the list box when the list
    // did, and the rest.
    void Act(const std::function<void()>& action) {
        const std::vector<std::string> before = player->list().entries;
        action();
        if (player->list().entries != before) RefreshList(before);
        Sync();
    }

    // An entry of the list box: the selection in the system's colours, the playing entry in bold
    // with a mark before it.
    void DrawEntry(const DRAWITEMSTRUCT& d) {
        if (d.itemID == static_cast<UINT>(-1)) return;
        const int k = static_cast<int>(d.itemID) + 1;
        if (k > player->list().Count()) return;
        const bool selected = (d.itemState & ODS_SELECTED) != 0;
        const bool playing = k == player->list().current;
        RECT r = d.rcItem;
        FillRect(d.hDC, &r, GetSysColorBrush(selected ? COLOR_HIGHLIGHT : COLOR_WINDOW));
        const COLORREF ink = selected ? GetSysColor(COLOR_HIGHLIGHTTEXT) : playing ? kPlayingInk : GetSysColor(COLOR_WINDOWTEXT);
        if (playing) {
            const int y = (r.top + r.bottom) / 2;
            const win::Scaler& s = scale();
            const POINT mark[3] = {{r.left + s.Px(3), y - s.Px(4)}, {r.left + s.Px(3), y + s.Px(4)}, {r.left + s.Px(8), y}};
            HBRUSH brush = colours.BrushOf(ink);
            HGDIOBJ old_brush = SelectObject(d.hDC, brush);
            HGDIOBJ old_pen = SelectObject(d.hDC, GetStockObject(NULL_PEN));
            Polygon(d.hDC, mark, 3);
            SelectObject(d.hDC, old_pen);
            SelectObject(d.hDC, old_brush);
        }
        SetBkMode(d.hDC, TRANSPARENT);
        SetTextColor(d.hDC, ink);
        HGDIOBJ old = SelectObject(d.hDC, playing ? small_font->get() : font->get());
        // The item's rectangle is the list box's, in the window's pixels already: drawn as it is.
        r.left += scale().Px(12);
        DrawTextInPixels(d.hDC, FileNameOf(player->list().Entry(k)), r, DT_LEFT | DT_END_ELLIPSIS);
        SelectObject(d.hDC, old);
        if (d.itemState & ODS_FOCUS) DrawFocusRect(d.hDC, &d.rcItem);
    }

    // --- the open dialog
    std::vector<std::string> ChooseFiles() {
        std::wstring buffer(32768, L'\0');
        const std::wstring filters = text::GbkToWide(
            std::string("MID 文件") + '\0' + "*.MID" + '\0' + "MP3 文件" + '\0' + "*.MP3" + '\0' + "WAV 文件" + '\0' +
            "*.WAV" + '\0' + "WMA 文件" + '\0' + "*.WMA" + '\0' + "音频文件" + '\0' + "*.MP3;*.WAV;*.MID;*.WMA" + '\0' + '\0');
        const std::wstring title = text::GbkToWide("选择音频文件");
        OPENFILENAMEW ofn{};
        ofn.lStructSize = sizeof ofn;
        ofn.hwndOwner = handle();
        ofn.lpstrFilter = filters.c_str();
        ofn.nFilterIndex = 5;
        ofn.lpstrFile = buffer.data();
        ofn.nMaxFile = static_cast<DWORD>(buffer.size());
        ofn.lpstrTitle = title.c_str();
        ofn.Flags = OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST | OFN_HIDEREADONLY;
        if (!win::ChooseFileToOpen(ofn)) return {};
        return SplitChosen(buffer);
    }

    void ChooseLyricFolder() {
        const std::wstring title = text::GbkToWide("选择歌词文件搜索路径...");
        BROWSEINFOW info{};
        info.hwndOwner = handle();
        info.lpszTitle = title.c_str();
        info.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
        const std::wstring chosen = win::ChooseFolder(info);
        if (!chosen.empty() && context.lyric_folder) *context.lyric_folder = text::WideToGbk(chosen);
    }

    // --- buttons and menus
    void Press(int button) {
        switch (button) {
            case kOpenButton: OpenChosen(ChooseFiles()); break;
            case kPlayButton: Act([this] { player->PlayPause(); }); break;
            case kRestartButton: Act([this] { player->RestartRange(); }); break;
            case kEndButton: Act([this] { player->JumpToRangeEnd(); }); break;
            case kPreviousButton: Act([this] { player->PreviousTrack(); }); break;
            case kNextButton: Act([this] { player->NextTrack(); }); break;
            case kStopButton: Act([this] { player->Stop(); }); break;
            case kMinimiseButton: ShowWindow(handle(), SW_MINIMIZE); break;
            case kExitButton: Close(IDCANCEL); break;
            default: break;
        }
    }

    void OpenChosen(const std::vector<std::string>& paths) {
        if (paths.empty()) return;
        Act([&] { player->AddFiles(paths); });
    }

    void ShowPlayList(bool shown) {
        list_shown = shown;
        ShowWindow(list, shown ? SW_SHOW : SW_HIDE);
        SetClientSize(kWidth, kHeight + (shown ? kListHeight : 0));
        lyrics.KeepBeside();  // the list shown must not lie under the lyric window
        InvalidateRect(handle(), nullptr, TRUE);
    }

    HMENU BuildMenu() {
        const auto add = [](HMENU m, const char* caption, int id, bool checked = false, bool enabled = true) {
            AppendMenuW(m, MF_STRING | (checked ? MF_CHECKED : 0) | (enabled ? 0 : MF_GRAYED), static_cast<UINT_PTR>(id),
                        text::GbkToWide(caption).c_str());
        };
        const auto sub = [](HMENU m, const char* caption, HMENU inner) {
            AppendMenuW(m, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(inner), text::GbkToWide(caption).c_str());
        };
        HMENU menu = CreatePopupMenu();
        add(menu, "打开文件(&O)", kOpenFiles);
        HMENU mine = CreatePopupMenu();
        for (int k = 1; k <= player->list().Count(); ++k)
            add(mine, FileNameOf(player->list().Entry(k)).c_str(), kFirstEntry + k - 1, k == player->list().current);
        if (player->list().Count() > 0) AppendMenuW(mine, MF_SEPARATOR, 0, nullptr);
        add(mine, "清空列表(&E)", kClearList);
        sub(menu, "我的音乐(&A)", mine);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        HMENU modes = CreatePopupMenu();
        add(modes, "列表播放(&L)", kListPlayCommand, player->list_play());
        add(modes, "循环播放(&C)", kLoopPlayCommand, player->loop_play());
        add(modes, "局部播放(&S)", kPartialPlayCommand, player->partial_play(), player->file_open());
        sub(menu, "播放方式(&M)", modes);
        HMENU styles = CreatePopupMenu();
        const char* const style_names[] = {"工具提示(&T)", "滚动列表(&S)", "卡拉ＯＫ(&K)", "双行卡拉ＯＫ(&D)"};
        for (int s = 0; s < 4; ++s) add(styles, style_names[s], kLyricTooltip + s, lyrics.style() == s);
        sub(menu, "歌词窗口(&W)", styles);
        HMENU sync = CreatePopupMenu();
        add(sync, "选择歌词文件搜索路径(&P)...", kLyricFolder);
        AppendMenuW(sync, MF_SEPARATOR, 0, nullptr);
        add(sync, lyrics.OffsetCaption().c_str(), kLyricOffsetCaption, false, false);
        add(sync, "提前0.5秒(&F)", kLyricEarlier);
        add(sync, "滞后0.5秒(&B)", kLyricLater);
        add(sync, "还原偏移量(&U)", kLyricOffsetReset);
        add(sync, "保存偏移量(&K)", kLyricOffsetSave);
        AppendMenuW(sync, MF_SEPARATOR, 0, nullptr);
        add(sync, "修改时间标签(&M)", kLyricBake);
        add(sync, "保存歌词文件(&S)", kLyricWrite);
        sub(menu, "歌词同步(&L)", sync);
        HMENU sound = CreatePopupMenu();
        add(sound, "增大(&U)", kVolumeUpCommand);
        add(sound, "减小(&D)", kVolumeDownCommand);
        add(sound, "静音(&M)", kMuteCommand, player->mute());
        AppendMenuW(sound, MF_SEPARATOR, 0, nullptr);
        add(sound, "立体声(&V)", kChannelStereo, player->channel() == 0);
        add(sound, "左声道(&L)", kChannelLeft, player->channel() == 1);
        add(sound, "右声道(&R)", kChannelRight, player->channel() == 2);
        sub(menu, "声音控制(&S)", sound);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        add(menu, "最前显示(&T)", kTopmostCommand, topmost);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        add(menu, "退出(&X)", kExitCommand);
        return menu;
    }

    void ShowMenu(HMENU menu, POINT at) {
        SetForegroundWindow(handle());
        const int id = TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, handle(), nullptr);
        DestroyMenu(menu);
        escape_down = false;  // an Escape that closed the menu was the menu's
        if (id) SendMessageW(handle(), WM_COMMAND, static_cast<WPARAM>(id), 0);
    }

    HMENU BuildListMenu() {
        HMENU menu = CreatePopupMenu();
        const bool selected = SelectedEntry() >= 1;
        const auto add = [&](const char* caption, int id, bool enabled) {
            AppendMenuW(menu, MF_STRING | (enabled ? 0 : MF_GRAYED), static_cast<UINT_PTR>(id), text::GbkToWide(caption).c_str());
        };
        add("添加(&A)", kListAppend, player->list().Count() < kMaxEntries);
        add("插入(&I)", kListInsert, selected);
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        add("上移(&U)", kListMoveUp, SelectedEntry() > 1);
        add("下移(&D)", kListMoveDown, selected && SelectedEntry() < player->list().Count());
        AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
        add("删除(&R)", kListRemove, selected);
        return menu;
    }

    void MoveSelected(bool up) {
        const int selected = SelectedEntry();
        if (selected < 1) return;
        int moved = 0;
        Act([&] { moved = up ? player->MoveUp(selected) : player->MoveDown(selected); });
        if (moved) SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(moved - 1), 0);
    }

    bool OnCommand(int id, int code, HWND control) override {
        if (control == list) {
            if (code == LBN_DBLCLK && SelectedEntry() >= 1) {
                const int k = SelectedEntry();
                Act([&] { player->PlayEntry(k); });
            }
            return true;
        }
        if (id >= kFirstEntry && id < kFirstEntry + kMaxEntries) {
            Act([&] { player->PlayEntry(id - kFirstEntry + 1); });
            return true;
        }
        switch (id) {
            case kOpenFiles: OpenChosen(ChooseFiles()); break;
            case kClearList: Act([this] { player->ClearList(); }); break;
            case kListPlayCommand: Act([this] { player->SetListPlay(!player->list_play()); }); break;
            case kLoopPlayCommand: Act([this] { player->SetLoopPlay(!player->loop_play()); }); break;
            case kPartialPlayCommand: Act([this] { player->SetPartialPlay(!player->partial_play()); }); break;
            case kLyricFolder: ChooseLyricFolder(); break;
            case kLyricEarlier: lyrics.ShiftOffset(-500); break;
            case kLyricLater: lyrics.ShiftOffset(500); break;
            case kLyricOffsetReset: lyrics.ResetOffset(); break;
            case kLyricOffsetSave: lyrics.SaveOffset(); break;
            case kLyricBake: lyrics.Bake(player->total_length()); break;
            case kLyricWrite: lyrics.Write(player->total_length()); break;
            case kChannelStereo: Act([this] { player->SetChannel(0); }); break;
            case kChannelLeft: Act([this] { player->SetChannel(1); }); break;
            case kChannelRight: Act([this] { player->SetChannel(2); }); break;
            case kVolumeUpCommand: Act([this] { player->VolumeUp(); }); break;
            case kVolumeDownCommand: Act([this] { player->VolumeDown(); }); break;
            case kMuteCommand: Act([this] { player->ToggleMute(); }); break;
            case kTopmostCommand:
                topmost = !topmost;
                win::SetTopmost(handle(), topmost);
                if (!topmost) StayAboveOwner(handle());  // still above a topmost page that owns it
                break;
            case kExitCommand: Close(IDCANCEL); return true;
            case kListAppend: {
                const std::vector<std::string> chosen = ChooseFiles();
                Act([&] { player->AppendFiles(chosen); });
                break;
            }
            case kListInsert: {
                const int selected = SelectedEntry();
                if (selected < 1) break;
                const std::vector<std::string> chosen = ChooseFiles();
                Act([&] { player->InsertFiles(selected, chosen); });
                break;
            }
            case kListMoveUp: MoveSelected(true); break;
            case kListMoveDown: MoveSelected(false); break;
            case kListRemove: {
                const int selected = SelectedEntry();
                Act([&] { player->Remove(selected); });
                break;
            }
            default:
                if (id >= kLyricTooltip && id <= kLyricDoubleKaraoke) {
                    lyrics.SetStyle(id - kLyricTooltip);
                    Sync();
                    break;
                }
                return false;
        }
        Sync();
        return true;
    }

    static LRESULT CALLBACK ListKeys(HWND window, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
        auto* self = reinterpret_cast<PlayerWindow*>(data);
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        if ((message == WM_KEYDOWN || message == WM_KEYUP) && ctrl && (wparam == VK_UP || wparam == VK_DOWN)) {
            if (message == WM_KEYUP) self->MoveSelected(wparam == VK_UP);
            return 0;  // the press itself would move the selection
        }
        if (message == WM_KEYDOWN && wparam == VK_ESCAPE) self->escape_down = true;
        if (message == WM_KEYUP && self->HandleKey(wparam)) return 0;
        return DefSubclassProc(window, message, wparam, lparam);
    }

    // Keys anywhere in the window: Ctrl+Left/Right shift the lyrics, Escape closes.
    bool HandleKey(WPARAM key) {
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        if (ctrl && (key == VK_LEFT || key == VK_RIGHT)) {
            lyrics.ShiftOffset(key == VK_LEFT ? -200 : 200);
            Sync();
            return true;
        }
        if (key == VK_ESCAPE) {
            const bool pressed_here = escape_down;
            escape_down = false;
            if (!pressed_here || !context.esc_closes) return false;
            Close(IDCANCEL);
            return true;
        }
        return false;
    }

    // --- mouse: `p` in the window's pixels; the skin's places are 96-DPI rectangles, its bars count
    // 96-DPI pixels (a bar pixel is a unit of the playing position).
    bool Inside(const RECT& logical, POINT p) const { return scale().Hit(logical, p); }
    int BarValueAt(int x) const {
        return std::clamp(scale().Logical(x) - static_cast<int>(ProgressBarRect().left) - 8, 0, kBarPixels);
    }
    int VolumeAt(int x) const { return std::clamp((scale().Logical(x) - static_cast<int>(VolumeBarRect().left)) * 2, 0, 100); }
    // Where in the progress bar control a press falls, for the marks of partial play.
    int BarOffsetAt(int x) const { return scale().Logical(x) - static_cast<int>(ProgressBarRect().left); }

    void OnLeftDown(POINT p) {
        SetFocus(handle());
        for (int b = 0; b < kButtonCount; ++b) {
            if (Inside(ButtonRect(b), p)) {
                pressed = b;
                SetCapture(handle());
                InvalidateRect(handle(), nullptr, FALSE);
                return;
            }
        }
        if (Inside(ProgressBarRect(), p)) {
            if (GetKeyState(VK_CONTROL) < 0) {
                Act([&] { player->MarkRangeStart(BarOffsetAt(p.x)); });
            } else if (player->file_open()) {
                Act([this] { player->BeginDrag(); });
                dragging = 1;
                drag_value = BarValueAt(p.x);
                SetCapture(handle());
            }
            return;
        }
        if (Inside(VolumeBarRect(), p)) {
            dragging = 2;
            drag_value = VolumeAt(p.x);
            SetCapture(handle());
            Act([this] { player->SetVolume(drag_value); });
            return;
        }
        for (int i = 0; i < 3; ++i) {
            if (!Inside(ImageRect(i), p)) continue;
            if (i == 0) Act([this] { player->ToggleMute(); });
            if (i == 1) {
                lyrics.SetHidden(!lyrics.hidden());
                Sync();
            }
            if (i == 2) ShowPlayList(!list_shown);
            InvalidateRect(handle(), nullptr, FALSE);
            return;
        }
        win::StartDrag(handle());  // the body moves the window
    }

    void OnLeftUp(POINT p) {
        if (GetCapture() == handle()) ReleaseCapture();
        if (pressed >= 0) {
            const int b = pressed;
            pressed = -1;
            InvalidateRect(handle(), nullptr, FALSE);
            if (Inside(ButtonRect(b), p)) Press(b);
            return;
        }
        if (dragging == 1) {
            dragging = 0;
            Act([&] { player->EndDrag(BarValueAt(p.x)); });
        } else if (dragging == 2) {
            dragging = 0;
            Act([&] { player->SetVolume(VolumeAt(p.x)); });
        }
    }

    void OnMouseMove(POINT p) {
        if (dragging == 1) drag_value = BarValueAt(p.x);
        if (dragging == 2) {
            drag_value = VolumeAt(p.x);
            Act([this] { player->SetVolume(drag_value); });
        }
        if (dragging) InvalidateRect(handle(), nullptr, FALSE);
    }

    // --- painting, in the skin's 96-DPI geometry converted to the window's pixels
    void DrawText(HDC dc, const std::string& s, const RECT& logical, UINT format) {
        DrawTextInPixels(dc, s, scale().Rect(logical), format);
    }
    static void DrawTextInPixels(HDC dc, const std::string& s, RECT r, UINT format) {
        const std::wstring w = text::GbkToWide(s);
        ::DrawTextW(dc, w.c_str(), static_cast<int>(w.size()), &r, format | DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX);
    }

    void Fill(HDC dc, const RECT& logical, COLORREF c) {
        const RECT r = scale().Rect(logical);
        FillRect(dc, &r, colours.BrushOf(c));
    }

    void Paint(HDC dc, const RECT& client) {
        FillRect(dc, &client, colours.BrushOf(kSkin));
        const SIZE skin = ClientSize();
        scale().Frame(dc, RECT{0, 0, skin.cx, skin.cy}, colours.BrushOf(kInk));
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, kInk);
        HGDIOBJ old = SelectObject(dc, font->get());
        DrawText(dc, player->TitleText(), RECT{10, 6, 186, 22}, DT_LEFT | DT_END_ELLIPSIS);
        std::string time = player->TimeLabel();
        if (dragging == 1) time = TimeText(BarToMs(drag_value, player->total_length())) + "/" + TimeText(player->total_length());
        DrawText(dc, time, RECT{186, 6, kWidth - 8, 22}, DT_RIGHT);
        // The progress bar: the track, the range band, the thumb.
        const RECT bar = ProgressBarRect();
        const int x0 = bar.left + 8;
        Fill(dc, RECT{x0, bar.top + 5, x0 + kBarPixels, bar.top + 9}, kTrack);
        if (player->partial_play() || player->loop_play())
            Fill(dc, RECT{x0 + player->range_start(), bar.top + 4, x0 + player->range_end(), bar.top + 10},
                 player->loop_play() ? kLoopBand : kBand);
        const int at = x0 + (dragging == 1 ? drag_value : player->bar());
        Fill(dc, RECT{at - 3, bar.top, at + 3, bar.bottom}, kInk);
        // The images and the volume bar.
        const int image_state[3] = {player->mute() ? 1 : 0, lyrics.hidden() ? 1 : 0, list_shown ? 0 : 1};
        for (int i = 0; i < 3; ++i) images[i][image_state[i]].Draw(dc, scale().Rect(ImageRect(i)));
        const RECT volume = VolumeBarRect();
        Fill(dc, RECT{volume.left, volume.top + 3, volume.right, volume.bottom - 3}, kTrack);
        Fill(dc, RECT{volume.left, volume.top + 3, volume.left + player->volume() / 2, volume.bottom - 3}, kInk);
        const int v = volume.left + player->volume() / 2;
        Fill(dc, RECT{v - 2, volume.top, v + 2, volume.bottom}, kInk);
        DrawText(dc, std::to_string(player->volume()), RECT{volume.right + 4, volume.top - 3, kWidth - 6, volume.bottom + 3}, DT_LEFT);
        // The text buttons; a pressed one shows sunk, its caption a pixel lower and to the right.
        SelectObject(dc, small_font->get());
        for (int b = 0; b < kButtonCount; ++b) {
            RECT r = ButtonRect(b);
            Fill(dc, r, b == pressed ? kPressed : kSkin);
            scale().Frame(dc, r, colours.BrushOf(kInk));
            if (b == pressed) OffsetRect(&r, 1, 1);
            DrawText(dc, b == kPlayButton ? player->PlayButtonText() : kButtonTexts[b], r, DT_CENTER);
        }
        SelectObject(dc, old);
    }

    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        const POINT p{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
        switch (message) {
            case WM_PAINT:  // drawn off screen first: the 100 ms tick would flicker otherwise
                win::PaintOffScreen(handle(), [this](HDC dc, const RECT& client) { Paint(dc, client); });
                return 0;
            case WM_ERASEBKGND: return 1;
            case WM_GETOBJECT: {
                LRESULT object = 0;
                accessible.Changed();  // the time and the states move on their own
                if (accessible.Answer(wparam, lparam, &object)) return object;
                break;
            }
            case WM_TIMER:
                if (wparam == kTickTimer) Act([this] { player->Tick(); });
                if (wparam == kSettleTimer) {
                    StayAboveOwner(handle());
                    if (--settling <= 0) KillTimer(handle(), kSettleTimer);
                }
                return 0;
            case WM_LBUTTONDOWN: OnLeftDown(p); return 0;
            case WM_LBUTTONUP: OnLeftUp(p); return 0;
            case WM_MOUSEMOVE: OnMouseMove(p); return 0;
            case WM_RBUTTONDOWN:
                if (Inside(ProgressBarRect(), p) && GetKeyState(VK_CONTROL) < 0) {
                    Act([&] { player->MarkRangeEnd(BarOffsetAt(p.x)); });
                    return 0;
                }
                break;
            case WM_CONTEXTMENU: {
                POINT at{static_cast<short>(LOWORD(lparam)), static_cast<short>(HIWORD(lparam))};
                const bool keyboard = at.x == -1 && at.y == -1;
                if (keyboard) {  // at the window's (or the list's) corner, not where the pointer is
                    at = POINT{scale().Px(8), scale().Px(8)};
                    ClientToScreen(reinterpret_cast<HWND>(wparam) == list ? list : handle(), &at);
                }
                if (reinterpret_cast<HWND>(wparam) == list && keyboard) {
                    ShowMenu(BuildListMenu(), at);  // on the list's own selection
                } else if (reinterpret_cast<HWND>(wparam) == list) {
                    POINT in_list = at;
                    ScreenToClient(list, &in_list);
                    const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(in_list.x, in_list.y));
                    if (HIWORD(hit) == 0) SendMessageW(list, LB_SETCURSEL, LOWORD(hit), 0);
                    ShowMenu(BuildListMenu(), at);
                } else {
                    POINT in_client = at;
                    ScreenToClient(handle(), &in_client);
                    if (Inside(ProgressBarRect(), in_client) && GetKeyState(VK_CONTROL) < 0) return 0;
                    ShowMenu(BuildMenu(), at);
                }
                return 0;
            }
            case WM_KEYDOWN:
                if (wparam == VK_ESCAPE) escape_down = true;
                break;
            case WM_KEYUP:
                if (HandleKey(wparam)) return 0;
                break;
            case WM_DRAWITEM:
                if (wparam == kPlayListId) {
                    DrawEntry(*reinterpret_cast<const DRAWITEMSTRUCT*>(lparam));
                    return TRUE;
                }
                break;
            case WM_DROPFILES: {
                std::vector<std::string> paths;
                for (const std::wstring& path : win::TakeDroppedFiles(reinterpret_cast<HDROP>(wparam)))
                    paths.push_back(text::WideToGbk(path));
                OpenChosen(paths);
                return 0;
            }
            case WM_MOVING: {  // stays within the screen
                auto* r = reinterpret_cast<RECT*>(lparam);
                *r = win::KeptOnScreen(*r);
                return TRUE;
            }
            default: break;
        }
        return Window::OnMessage(message, wparam, lparam);
    }
};

}  // namespace

void ReownPlayer(HWND player, HWND owner) {
    SetWindowLongPtrW(player, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
    if (!owner) return;
    StayAboveOwner(player);
    // Under Wine the X server keeps an order of its own, where a page just shown may lie above the
    // player, and Wine copies that order back as the pointer moves over them: once the new page has
    // settled there, the player goes above it again.
    if (auto* state = win::StateOf<PlayerWindow>(player)) state->settling = kSettlingRounds;
    SetTimer(player, kSettleTimer, 250, nullptr);
}

HWND OpenPlayer(HWND owner, const PlayerContext& context) {
    auto state = std::make_unique<PlayerWindow>();
    state->context = context;
    win::Frame frame;
    frame.class_name = L"TempolineMusic";
    frame.title = "橙鹿音乐";
    frame.style = WS_POPUP | WS_SYSMENU | WS_MINIMIZEBOX;
    frame.ex_style = WS_EX_ACCEPTFILES;
    frame.width = kWidth;
    frame.height = kHeight;
    return win::Create(std::move(state), frame, owner);
}

Player* PlayerOf(HWND window) {
    auto* state = win::StateOf<PlayerWindow>(window);
    return state ? state->player.get() : nullptr;
}

const Lyric* LyricOf(HWND player) {
    auto* state = win::StateOf<PlayerWindow>(player);
    return state ? &state->lyrics.lyric() : nullptr;
}

HWND LyricWindowOf(HWND player) {
    auto* state = win::StateOf<PlayerWindow>(player);
    return state ? state->lyrics.window() : nullptr;
}

}  // namespace music
