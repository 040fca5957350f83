// The LED images drawn by real GDI, read back pixel by pixel.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/app_state.h"
#include "app/numbering.h"
#include "app/win_handles.h"
#include "display/gdi_store_win.h"
#include "display/led_images.h"
#include "display/monitor_area_win.h"
#include "display/screen_scale_win.h"
#include "monitor/activity_poller.h"
#include "support/win_test_window.h"

namespace {

// Four colours that no pair of which can be mistaken for another.
const RgbColor kBack{10, 20, 90};
const RgbColor kText{250, 240, 0};
const RgbColor kRead{0, 200, 30};
const RgbColor kWrite{220, 30, 40};

DWORD Px(const RgbColor& c) {
    return Rgb(c.Red, c.Green, c.Blue);
}

class LedImagesOnWine : public ::testing::Test {
  protected:
    void SetUp() override {
        ResetAppState();
        InitConstantState();
        AppState.BackRgb = kBack;
        AppState.TextRgb = kText;
        AppState.ReadRgb = kRead;
        AppState.WriteRgb = kWrite;
        CreateTestBar();
    }
    void TearDown() override { DestroyTestBar(); }

    static void Render(int size, const std::string& present) {
        AppState.IconSize = size;
        AppState.PresentDrives = present;
        RenderLedImages();
    }
};

// The colour the fills give a pixel, ignoring letter and marker.
DWORD FillColour(int state, int s, int x, int y) {
    if (x == s - 1) return Px(kText);
    if (y < s / 2) return (state & LedRead) ? Px(kRead) : Px(kBack);
    return (state & LedWrite) ? Px(kWrite) : Px(kBack);
}

TEST_F(LedImagesOnWine, FillsSeparatorLetterAndMarkerAtEverySizeAndState) {
    for (int size = 1; size <= 3; ++size) {
        Render(size, "1");
        LedMetrics m;
        ASSERT_TRUE(LedMetricsForSize(size, &m));
        const int s = m.IconPixels;
        const PixelRect marker = MarkerSquare(s, m.MarkSize);
        for (int slot : {1, 2, 13, 24}) {
            // Where the letter may lie: its advance width in the letter font, placed as designed.
            WindowDc screen(nullptr);
            UniqueDc dc(CreateCompatibleDC(screen.get()));
            SelectGuard useFont(dc.get(), NumberedFont(Num::LetterFont));
            SIZE extent{};
            const char letter = kDriveLetters[slot - 1];
            GetTextExtentPoint32A(dc.get(), &letter, 1, &extent);
            const int left = LetterLeft(s, extent.cx);
            const bool present = slot == 1;

            for (int state = LedIdle; state <= LedReadWrite; ++state) {
                const Pixels p = ReadPixels(ImageBitmap(LedImageNumber(slot, state)));
                ASSERT_EQ(p.Width, s);
                ASSERT_EQ(p.Height, s);
                int letterPixels = 0;
                for (int y = 0; y < s; ++y) {
                    for (int x = 0; x < s; ++x) {
                        const DWORD got = p.At(x, y);
                        const bool inMarker = x >= marker.X && x < marker.X + marker.W &&
                                              y >= marker.Y && y < marker.Y + marker.H;
                        const auto where = ::testing::Message()
                                           << "size " << size << " slot " << slot << " state "
                                           << state << " pixel " << x << "," << y;
                        if (x == s - 1) {
                            ASSERT_EQ(got, Px(kText)) << where << ": separator";
                        } else if (inMarker) {
                            const DWORD want = present ? Px(kText) : FillColour(state, s, x, y);
                            ASSERT_EQ(got, want) << where << ": marker";
                        } else if (got != FillColour(state, s, x, y)) {
                            // Anything else is the letter, inside its cell's columns.
                            ASSERT_GE(x, left - 1) << where;
                            ASSERT_LE(x, left + extent.cx) << where;
                            ASSERT_GE(y, AppState.LetterTop) << where;
                            letterPixels += got == Px(kText);
                        }
                        if (state == LedReadWrite) ASSERT_NE(got, Px(kBack)) << where;
                    }
                }
                EXPECT_GT(letterPixels, 3)
                    << "size " << size << " slot " << slot << " state " << state;
            }
        }
    }
}

TEST_F(LedImagesOnWine, MarkersFollowThePresentDrivesAndControlsGetIdleImages) {
    Render(2, "10x1");
    for (int slot = 1; slot <= 24; ++slot) {
        EXPECT_EQ(ControlImage(slot), ImageBitmap(slot)) << "idle image after a render";
    }
    const PixelRect sq = MarkerSquare(24, 6);
    for (int slot = 1; slot <= 5; ++slot) {
        const bool present = slot == 1 || slot == 4; // 'x' and a missing character are absent
        for (int state = LedIdle; state <= LedReadWrite; ++state) {
            const Pixels p = ReadPixels(ImageBitmap(LedImageNumber(slot, state)));
            const DWORD beneath = (state & LedRead) ? Px(kRead) : Px(kBack);
            EXPECT_EQ(p.At(sq.X, sq.Y), present ? Px(kText) : beneath) << slot << "/" << state;
            EXPECT_EQ(p.At(sq.X + sq.W - 1, sq.H - 1), present ? Px(kText) : beneath);
        }
    }
    // A drive that goes away: its marker is erased and its control is back on idle.
    AppState.PresentDrives = "00x1";
    SendMessageA(GetDlgItem(AppState.WindowHandle, 1), STM_SETIMAGE, IMAGE_BITMAP,
                 reinterpret_cast<LPARAM>(ImageBitmap(25)));
    DrawPresenceMarkers();
    EXPECT_EQ(ReadPixels(ImageBitmap(1)).At(sq.X, 0), Px(kBack));
    EXPECT_EQ(ReadPixels(ImageBitmap(25)).At(sq.X, 0), Px(kRead));
    EXPECT_EQ(ControlImage(1), ImageBitmap(1));
}

TEST_F(LedImagesOnWine, RenderingAgainGivesTheSameImagesAndKeepsFontsTwoAndThree) {
    Render(3, "1");
    const HFONT small = NumberedFont(Num::SmallButtonFont);
    const HFONT dialog = NumberedFont(Num::DialogFont);
    ASSERT_NE(small, nullptr);
    ASSERT_NE(dialog, nullptr);
    std::vector<Pixels> first;
    for (int image = 1; image <= 96; ++image) first.push_back(ReadPixels(ImageBitmap(image)));
    Render(3, "1");
    // The letter font is 16 points at the display's resolution: 21 pixels at 96 dpi.
    LOGFONTA letter{};
    ASSERT_TRUE(GetObjectA(NumberedFont(Num::LetterFont), sizeof letter, &letter));
    HDC display = CreateDCA("DISPLAY", nullptr, nullptr, nullptr);
    EXPECT_EQ(letter.lfHeight, -MulDiv(16, GetDeviceCaps(display, LOGPIXELSY), 72));
    DeleteDC(display);
    EXPECT_EQ(letter.lfWeight, FW_BOLD);
    EXPECT_STREQ(letter.lfFaceName, "Tahoma");
    EXPECT_EQ(NumberedFont(Num::SmallButtonFont), small);
    EXPECT_EQ(NumberedFont(Num::DialogFont), dialog);
    for (int image = 1; image <= 96; ++image) {
        EXPECT_EQ(ReadPixels(ImageBitmap(image)).Data, first[image - 1].Data) << image;
    }
}

TEST_F(LedImagesOnWine, RenderingReleasesWhatItReplaces) {
    Render(1, "1");
    std::vector<HGDIOBJ> replaced;
    for (int image = 1; image <= 96; ++image) replaced.push_back(ImageBitmap(image));
    replaced.push_back(NumberedFont(Num::LetterFont));
    // Enough renders to exhaust the GDI handle table if pens, brushes, DCs or bitmaps leaked.
    for (int i = 1; i <= 100; ++i) Render(1 + i % 3, "1"); // ends on size 2
    for (HGDIOBJ old : replaced) EXPECT_EQ(GetObjectType(old), 0u) << old;
    const Pixels p = ReadPixels(ImageBitmap(73));
    ASSERT_EQ(p.Width, 24);
    EXPECT_EQ(p.At(0, 23), Px(kWrite)) << "still drawing after 100 renders";
}

// Writes the four images of slot C at each size as BMP files for a person to look at.
void WriteBmp(const std::wstring& path, const Pixels& p, int scale) {
    const int w = p.Width * scale, h = p.Height * scale;
    BITMAPFILEHEADER file{};
    BITMAPINFOHEADER info{};
    info.biSize = sizeof info;
    info.biWidth = w;
    info.biHeight = -h;
    info.biPlanes = 1;
    info.biBitCount = 32;
    file.bfType = 0x4D42;
    file.bfOffBits = sizeof file + sizeof info;
    file.bfSize = file.bfOffBits + static_cast<DWORD>(w * h * 4);
    FILE* out = _wfopen(path.c_str(), L"wb");
    ASSERT_NE(out, nullptr);
    fwrite(&file, sizeof file, 1, out);
    fwrite(&info, sizeof info, 1, out);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x) {
            const DWORD px = p.At(x / scale, y / scale);
            fwrite(&px, 4, 1, out);
        }
    fclose(out);
}

TEST_F(LedImagesOnWine, WritesTheImagesOfOneSlotForAPersonToSee) {
    const std::wstring dir = TestProgramDirectory() + L"led-images\\";
    CreateDirectoryW(dir.c_str(), nullptr);
    AppState.BackRgb = {0, 0, 0};
    AppState.TextRgb = {255, 255, 255};
    AppState.ReadRgb = {0, 216, 0};
    AppState.WriteRgb = {255, 38, 38};
    const wchar_t* names[] = {L"idle", L"read", L"write", L"readwrite"};
    for (int size = 1; size <= 3; ++size) {
        Render(size, "1");
        for (int state = LedIdle; state <= LedReadWrite; ++state) {
            const std::wstring path =
                dir + L"C-size" + std::to_wstring(size) + L"-" + names[state] + L".bmp";
            WriteBmp(path, ReadPixels(ImageBitmap(LedImageNumber(1, state))), 8);
            EXPECT_NE(GetFileAttributesW(path.c_str()), INVALID_FILE_ATTRIBUTES);
        }
    }
}

// Windows 8.1 and 10 before 1607 have no GetDpiForWindow: the scale comes from the window's monitor
// ("GetDpiForMonitor", Microsoft Learn), here a stand-in that says 144 for it.
HRESULT WINAPI MonitorAt144(HMONITOR monitor, int kind, UINT* x, UINT* y) {
    if (!monitor || kind != 0) return E_INVALIDARG;
    *x = *y = 144;
    return S_OK;
}
UINT WINAPI WindowAt120(HWND) {
    return 120;
}

TEST(WindowScale, FromTheWindowWhereWindowsTellsElseFromItsMonitorElseTheSystem) {
    HWND window = CreateWindowExA(0, "STATIC", "scale", WS_POPUP, 10, 10, 50, 20, nullptr, nullptr,
                                  GetModuleHandleA(nullptr), nullptr);
    ASSERT_TRUE(window);
    EXPECT_EQ(WindowDpiFrom(window, WindowAt120, MonitorAt144), 120);
    EXPECT_EQ(WindowDpiFrom(window, nullptr, MonitorAt144), 144) << "Windows 8.1";
    EXPECT_EQ(WindowDpiFrom(window, nullptr, nullptr), SystemDpi()) << "Vista to 8";
    DestroyWindow(window);
}

} // namespace
