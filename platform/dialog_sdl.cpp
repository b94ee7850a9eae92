// The dialog's window: SDL2 for the window and events, SDL2_ttf for the texts.
#include <SDL.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "platform/dialog.h"
#include "platform/system.h"
#include "platform/window.h"

#if defined(TOLVARIN_HAVE_SDL2TTF)
#include <SDL_ttf.h>
#endif

namespace platform {

namespace {

// Dialog units to pixels: a base unit of 7 x 14 pixels, as a 9-point Gothic
// font gives on a 96-dpi screen with a little room.
constexpr int kBaseX = 7;
constexpr int kBaseY = 14;
constexpr int kFontPixels = 13;

int PixelX(int du) { return du * kBaseX / 4; }
int PixelY(int du) { return du * kBaseY / 8; }

constexpr Uint32 kFace = 0xFFF0F0F0;
constexpr Uint32 kShadow = 0xFFA0A0A0;
constexpr Uint32 kLight = 0xFFFFFFFF;
constexpr Uint32 kInk = 0xFF000000;
constexpr Uint32 kFocusInk = 0xFF3070D0;

struct Painter {
    SDL_Surface* surface = nullptr;
#if defined(TOLVARIN_HAVE_SDL2TTF)
    TTF_Font* font = nullptr;
#endif

    void Fill(int x, int y, int w, int h, Uint32 colour) {
        SDL_Rect r{x, y, w, h};
        SDL_FillRect(surface, &r, colour);
    }
    void Frame(int x, int y, int w, int h, Uint32 colour) {
        Fill(x, y, w, 1, colour);
        Fill(x, y + h - 1, w, 1, colour);
        Fill(x, y, 1, h, colour);
        Fill(x + w - 1, y, 1, h, colour);
    }
    void Disc(int cx, int cy, float radius, Uint32 colour) {
        const int r = static_cast<int>(std::ceil(radius));
        for (int y = -r; y <= r; ++y) {
            for (int x = -r; x <= r; ++x) {
                if (x * x + y * y <= radius * radius) Fill(cx + x, cy + y, 1, 1, colour);
            }
        }
    }
    // Draws UTF-8 text with its top-left corner at (x, y); returns its width.
    int Text(const std::string& text, int x, int y) {
#if defined(TOLVARIN_HAVE_SDL2TTF)
        if (!font || text.empty()) return 0;
        SDL_Surface* t = TTF_RenderUTF8_Blended(font, text.c_str(), SDL_Color{0, 0, 0, 255});
        if (!t) return 0;
        SDL_Rect to{x, y, t->w, t->h};
        SDL_BlitSurface(t, nullptr, surface, &to);
        const int w = t->w;
        SDL_FreeSurface(t);
        return w;
#else
        (void)text;
        (void)x;
        (void)y;
        return 0;
#endif
    }
    int TextWidth(const std::string& text) {
#if defined(TOLVARIN_HAVE_SDL2TTF)
        int w = 0, h = 0;
        if (font && TTF_SizeUTF8(font, text.c_str(), &w, &h) == 0) return w;
#else
        (void)text;
#endif
        return 0;
    }
    int LineHeight() {
#if defined(TOLVARIN_HAVE_SDL2TTF)
        if (font) return TTF_FontHeight(font);
#endif
        return kFontPixels;
    }
};

void Paint(Painter& p, const Dialog& dialog) {
    const DialogTemplate& t = dialog.Template();
    p.Fill(0, 0, p.surface->w, p.surface->h, kFace);
    const int line = p.LineHeight();
    for (int i = 0; i < static_cast<int>(t.controls.size()); ++i) {
        const DialogControl& c = t.controls[i];
        const int x = PixelX(c.x), y = PixelY(c.y), w = PixelX(c.width), h = PixelY(c.height);
        const int textY = y + (h - line) / 2;
        switch (c.kind) {
            case DialogControlKind::GroupBox: {
                const int top = y + line / 2;
                p.Frame(x, top, w, h - line / 2, kShadow);
                p.Frame(x + 1, top + 1, w - 2, h - line / 2 - 2, kLight);
                const int tw = p.TextWidth(c.text);
                if (tw > 0) p.Fill(x + 6, y, tw + 4, line, kFace);
                p.Text(c.text, x + 8, y);
                break;
            }
            case DialogControlKind::CheckBox:
            case DialogControlKind::RadioButton: {
                const int box = 13;
                const int by = y + (h - box) / 2;
                if (c.kind == DialogControlKind::CheckBox) {
                    p.Fill(x, by, box, box, kLight);
                    p.Frame(x, by, box, box, kShadow);
                    if (dialog.Checked(i)) p.Fill(x + 3, by + 3, box - 6, box - 6, kInk);
                } else {
                    p.Disc(x + box / 2, by + box / 2, 6.2f, kShadow);
                    p.Disc(x + box / 2, by + box / 2, 5.2f, kLight);
                    if (dialog.Checked(i)) p.Disc(x + box / 2, by + box / 2, 2.6f, kInk);
                }
                const int tw = p.Text(c.text, x + box + 5, textY);
                if (dialog.Focus() == i)
                    p.Frame(x + box + 3, textY - 1, (tw > 0 ? tw : w - box - 5) + 4, line + 2, kFocusInk);
                break;
            }
            case DialogControlKind::DefaultPushButton: {
                p.Fill(x, y, w, h, kFace);
                p.Frame(x, y, w, h, kInk);  // the default button's dark rim
                p.Frame(x + 1, y + 1, w - 2, h - 2, kShadow);
                const int tw = p.TextWidth(c.text);
                p.Text(c.text, x + (w - tw) / 2, textY);
                if (dialog.Focus() == i) p.Frame(x + 4, y + 4, w - 8, h - 8, kFocusInk);
                break;
            }
        }
    }
}

// Opens the font (when SDL2_ttf and a font are there) for the painter's life.
class FontScope {
public:
    explicit FontScope(Painter& painter) {
#if defined(TOLVARIN_HAVE_SDL2TTF)
        const std::string path = FindDialogFont();
        if (path.empty()) return;
        if (!TTF_WasInit() && TTF_Init() != 0) return;
        initialised_ = true;
        painter.font = TTF_OpenFont(path.c_str(), kFontPixels);
        font_ = painter.font;
#else
        (void)painter;
#endif
    }
    ~FontScope() {
#if defined(TOLVARIN_HAVE_SDL2TTF)
        if (font_) TTF_CloseFont(font_);
        if (initialised_) TTF_Quit();
#endif
    }
    FontScope(const FontScope&) = delete;
    FontScope& operator=(const FontScope&) = delete;

private:
#if defined(TOLVARIN_HAVE_SDL2TTF)
    TTF_Font* font_ = nullptr;
    bool initialised_ = false;
#endif
};

bool HasFont(const Painter& p) {
#if defined(TOLVARIN_HAVE_SDL2TTF)
    return p.font != nullptr;
#else
    (void)p;
    return false;
#endif
}

bool MapKey(const SDL_KeyboardEvent& key, DialogKey& out) {
    switch (key.keysym.sym) {
        case SDLK_TAB: out = (key.keysym.mod & KMOD_SHIFT) ? DialogKey::ShiftTab : DialogKey::Tab; return true;
        case SDLK_UP: out = DialogKey::Up; return true;
        case SDLK_DOWN: out = DialogKey::Down; return true;
        case SDLK_LEFT: out = DialogKey::Left; return true;
        case SDLK_RIGHT: out = DialogKey::Right; return true;
        case SDLK_SPACE: out = DialogKey::Space; return true;
        case SDLK_RETURN:
        case SDLK_KP_ENTER: out = DialogKey::Enter; return true;
        case SDLK_ESCAPE: out = DialogKey::Escape; return true;
        default: return false;
    }
}

}  // namespace

std::string FindDialogFont() {
    if (const char* env = std::getenv("TOLVARIN_DIALOG_FONT")) {
        std::error_code ec;
        if (*env && std::filesystem::is_regular_file(env, ec)) return env;
    }
    static const char* const kCandidates[] = {
        "/usr/share/fonts/opentype/ipafont-gothic/ipagp.ttf",
        "/usr/share/fonts/opentype/ipafont-gothic/ipag.ttf",
        "/usr/share/fonts/truetype/fonts-japanese-gothic.ttf",
        "/usr/share/fonts/opentype/ipaexfont-gothic/ipaexg.ttf",
        "/usr/share/fonts/opentype/noto/NotoSansCJK-Regular.ttc",
        "/usr/share/fonts/truetype/vlgothic/VL-PGothic-Regular.ttf",
    };
    for (const char* path : kCandidates) {
        std::error_code ec;
        if (std::filesystem::is_regular_file(path, ec)) return path;
    }
    return {};
}

DialogPicture RenderDialogPicture(const Dialog& dialog) {
    DialogPicture picture;
    const int w = PixelX(dialog.Template().width), h = PixelY(dialog.Template().height);
    SDL_Surface* surface = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!surface) return picture;
    Painter painter;
    painter.surface = surface;
    {
        FontScope font(painter);
        Paint(painter, dialog);
        picture.hasText = HasFont(painter);
    }
    picture.width = w;
    picture.height = h;
    picture.pixels.resize(static_cast<std::size_t>(w) * h);
    for (int y = 0; y < h; ++y) {
        std::memcpy(&picture.pixels[static_cast<std::size_t>(y) * w],
                    static_cast<const Uint8*>(surface->pixels) + y * surface->pitch, static_cast<std::size_t>(w) * 4);
    }
    SDL_FreeSurface(surface);
    return picture;
}

std::intptr_t RunDialog(const DialogTemplate& dialogTemplate, DialogProc proc) {
    if (SDL_InitSubSystem(SDL_INIT_VIDEO) != 0) return -1;
    WatchDisplay();
    // Nobody could answer a dialog on the dummy or offscreen drivers.
    const char* driver = SDL_GetCurrentVideoDriver();
    if (!driver || std::strcmp(driver, "dummy") == 0 || std::strcmp(driver, "offscreen") == 0) {
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return -1;
    }
    const int w = PixelX(dialogTemplate.width), h = PixelY(dialogTemplate.height);
    SDL_Window* window = SDL_CreateWindow(dialogTemplate.caption.c_str(), SDL_WINDOWPOS_CENTERED,
                                          SDL_WINDOWPOS_CENTERED, w, h, SDL_WINDOW_HIDDEN);
    SDL_Surface* canvas = SDL_CreateRGBSurfaceWithFormat(0, w, h, 32, SDL_PIXELFORMAT_ARGB8888);
    if (!window || !canvas) {
        if (canvas) SDL_FreeSurface(canvas);
        if (window) SDL_DestroyWindow(window);
        SDL_QuitSubSystem(SDL_INIT_VIDEO);
        return -1;
    }
    Dialog dialog(dialogTemplate, proc);
    Painter painter;
    painter.surface = canvas;
    FontScope font(painter);
    dialog.Start();
    if (dialog.Centred()) SDL_SetWindowPosition(window, SDL_WINDOWPOS_CENTERED, SDL_WINDOWPOS_CENTERED);
    SDL_ShowWindow(window);
    SDL_RaiseWindow(window);
    const Uint32 windowId = SDL_GetWindowID(window);
    int pressed = -1;
    auto redraw = [&] {
        Paint(painter, dialog);
        if (SDL_Surface* target = SDL_GetWindowSurface(window)) {
            SDL_BlitSurface(canvas, nullptr, target, nullptr);
            SDL_UpdateWindowSurface(window);
        }
    };
    redraw();
    while (!dialog.Ended()) {
        // A signal's request to leave closes the dialog as its close box does.
        if (LeaveSignal() != 0) {
            dialog.Send(WM_CLOSE);
            break;
        }
        SDL_Event e;
        if (!SDL_WaitEventTimeout(&e, 100)) continue;
        switch (e.type) {
            case SDL_QUIT: dialog.Send(WM_CLOSE); break;
            case SDL_WINDOWEVENT:
                if (e.window.windowID != windowId) break;
                if (e.window.event == SDL_WINDOWEVENT_CLOSE) dialog.Send(WM_CLOSE);
                break;
            case SDL_KEYDOWN: {
                if (e.key.keysym.sym == SDLK_F4 && (e.key.keysym.mod & KMOD_ALT)) {
                    dialog.Send(WM_CLOSE);
                    break;
                }
                DialogKey key;
                if (MapKey(e.key, key)) dialog.Key(key);
                break;
            }
            case SDL_MOUSEBUTTONDOWN:
                if (e.button.button == SDL_BUTTON_LEFT) {
                    pressed = dialog.ControlAt(e.button.x * 4 / kBaseX, e.button.y * 8 / kBaseY);
                }
                break;
            case SDL_MOUSEBUTTONUP:
                if (e.button.button == SDL_BUTTON_LEFT) {
                    const int at = dialog.ControlAt(e.button.x * 4 / kBaseX, e.button.y * 8 / kBaseY);
                    if (at >= 0 && at == pressed) dialog.Click(at);
                    pressed = -1;
                }
                break;
            default: break;
        }
        if (!dialog.Ended()) redraw();
    }
    SDL_FreeSurface(canvas);
    SDL_DestroyWindow(window);
    // Nothing of the dialog's window reaches the game's message queue.
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    SDL_QuitSubSystem(SDL_INIT_VIDEO);
    return dialog.Result();
}

}  // namespace platform
