// A top-down 32-bit DIB section selected into a memory DC and filled with one colour:
// something to draw the control into and read back pixel by pixel.
#pragma once
#include <windows.h>

class DibCanvas {
public:
    static constexpr DWORD kBlack = 0x000000;
    static constexpr DWORD kWhite = 0xFFFFFF;

    DibCanvas(int width, int height, DWORD background);
    DibCanvas(const DibCanvas&) = delete;
    DibCanvas& operator=(const DibCanvas&) = delete;
    ~DibCanvas();

    HDC DC() const { return dc_; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // The colour at a pixel, as 0xRRGGBB, after GDI has finished drawing.
    DWORD At(int x, int y) const;
    int CountBlack(int left, int top, int right, int bottom) const;
    // The smallest rectangle around the black pixels of an area; empty when there are none.
    RECT BlackBox(int left, int top, int right, int bottom) const;

private:
    int width_;
    int height_;
    HDC dc_;
    HBITMAP bitmap_ = nullptr;
    HGDIOBJ old_ = nullptr;
    DWORD* bits_ = nullptr;
};
