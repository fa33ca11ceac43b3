#include "common/dib_canvas.h"

#include <algorithm>

DibCanvas::DibCanvas(int width, int height, DWORD background)
    : width_(width), height_(height), dc_(CreateCompatibleDC(nullptr)) {
    BITMAPINFO info{};
    info.bmiHeader = {sizeof(BITMAPINFOHEADER), width, -height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, reinterpret_cast<void**>(&bits_), nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    std::fill(bits_, bits_ + width * height, background);
}

DibCanvas::~DibCanvas() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
}

DWORD DibCanvas::At(int x, int y) const {
    GdiFlush();
    return bits_[y * width_ + x] & 0x00FFFFFF;
}

int DibCanvas::CountBlack(int left, int top, int right, int bottom) const {
    int count = 0;
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) count += At(x, y) == kBlack ? 1 : 0;
    }
    return count;
}

RECT DibCanvas::BlackBox(int left, int top, int right, int bottom) const {
    RECT box{right, bottom, left, top};
    for (int y = top; y < bottom; ++y) {
        for (int x = left; x < right; ++x) {
            if (At(x, y) != kBlack) continue;
            box = {std::min<LONG>(box.left, x), std::min<LONG>(box.top, y), std::max<LONG>(box.right, x + 1),
                   std::max<LONG>(box.bottom, y + 1)};
        }
    }
    return box;
}
