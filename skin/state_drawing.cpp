#include "skin/state_drawing.h"

#include "skin/control.h"
#include "skin/owners.h"
#include "skin/props.h"

namespace skin {
namespace {

Gdiplus::RectF Placement(int backType, Gdiplus::REAL imageWidth, Gdiplus::REAL imageHeight, SIZE box) {
    switch (backType) {
    case kBackStretch: return {0, 0, static_cast<Gdiplus::REAL>(box.cx), static_cast<Gdiplus::REAL>(box.cy)};
    case kBackFit: {
        FitSize fit = FitWithin(static_cast<int>(imageWidth), static_cast<int>(imageHeight), box.cx, box.cy);
        return {static_cast<Gdiplus::REAL>((box.cx - fit.width) / 2),
                static_cast<Gdiplus::REAL>((box.cy - fit.height) / 2), static_cast<Gdiplus::REAL>(fit.width),
                static_cast<Gdiplus::REAL>(fit.height)};
    }
    default: return {0, 0, imageWidth, imageHeight};
    }
}

void DrawOnto(HWND control, Gdiplus::GpImage* image, HBITMAP cache, HDC target) {
    SIZE size = WindowSize(control);
    MemoryDc memory(CreateCompatibleDC(target));
    BitmapOwner face(CreateCompatibleBitmap(target, size.cx, size.cy));
    SelectGuard select(memory.get(), face.get());
    {
        Gdiplus::GpGraphics* raw = nullptr;
        gp::GdipCreateFromHDC(memory.get(), &raw);
        GraphicsOwner graphics(raw);
        Gdiplus::GpBitmap* rawSnapshot = nullptr;
        gp::GdipCreateBitmapFromHBITMAP(cache, nullptr, &rawSnapshot);
        GpBitmapOwner snapshot(rawSnapshot);
        // Stretched to the current size: a resized control shows its old background until it repaints.
        gp::GdipDrawImageRectI(graphics.get(), snapshot.get(), 0, 0, size.cx, size.cy);
        if (image) {
            Gdiplus::REAL width = 0, height = 0;
            gp::GdipGetImageDimension(image, &width, &height);
            Gdiplus::RectF place =
                Placement(static_cast<int>(GetSkinProp(control, kPropBackType)), width, height, size);
            gp::GdipDrawImageRect(graphics.get(), image, place.X, place.Y, place.Width, place.Height);
        }
    }
    // One copy, so the screen never shows the snapshot without the image.
    BitBlt(target, 0, 0, size.cx, size.cy, memory.get(), 0, 0, SRCCOPY);
}

} // namespace

FitSize FitWithin(int imageWidth, int imageHeight, int boxWidth, int boxHeight) {
    double fw = imageWidth, fh = imageHeight;
    if (imageWidth > boxWidth) {
        fw = boxWidth;
        fh = static_cast<int>(static_cast<double>(imageHeight) * boxWidth / imageWidth);
    }
    if (fh > boxHeight) {
        fw = static_cast<int>(fw * boxHeight / fh);
        fh = boxHeight;
    }
    return {static_cast<int>(fw), static_cast<int>(fh)};
}

int ShownState(HWND button, int wanted) {
    return IsWindowEnabled(button) ? wanted : kStateDisabled;
}

Gdiplus::GpImage* StateImage(HWND control, int drawState) {
    const char* key = nullptr;
    switch (drawState) {
    case kStateHover: key = kPropOverImage; break;
    case kStatePressed: key = kPropDownImage; break;
    case kStateDisabled: key = kPropDisableImage; break;
    default: break;
    }
    intptr_t image = key ? GetSkinProp(control, key) : 0;
    if (!image) image = GetSkinProp(control, kPropNormalImage);
    return reinterpret_cast<Gdiplus::GpImage*>(image);
}

void PaintButton(HWND control) {
    PaintDc paint(control);
    KeptSnapshot(control, paint.get());
    DrawFace(control, paint.get());
}

HBITMAP SnapshotBackground(HWND control, HDC dc) {
    SIZE size = WindowSize(control);
    ReleaseSnapshot(control);
    BitmapOwner snapshot(CreateCompatibleBitmap(dc, size.cx, size.cy));
    {
        MemoryDc memory(CreateCompatibleDC(dc));
        SelectGuard select(memory.get(), snapshot.get());
        BitBlt(memory.get(), 0, 0, size.cx, size.cy, dc, 0, 0, SRCCOPY);
    }
    // The snapshot lives on in the control's property until the next paint replaces it.
    HBITMAP kept = snapshot.release();
    SetSkinProp(control, kPropCacheBitmap, reinterpret_cast<intptr_t>(kept));
    return kept;
}

HBITMAP KeptSnapshot(HWND control, HDC paintDc) {
    if (auto kept = reinterpret_cast<HBITMAP>(GetSkinProp(control, kPropCacheBitmap))) return kept;
    return SnapshotBackground(control, paintDc);
}

void ForgetSnapshotsUnder(HWND parent) {
    RegionOwner update(CreateRectRgn(0, 0, 0, 0));
    if (GetUpdateRgn(parent, update.get(), FALSE) <= NULLREGION) return;
    for (HWND child = GetWindow(parent, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (!GetSkinProp(child, kPropCacheBitmap)) continue;
        RECT place{};
        GetWindowRect(child, &place);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&place), 2);
        if (!RectInRegion(update.get(), &place)) continue;
        ReleaseSnapshot(child);
        // Only part of the child may lie in the update region; the rest of a new snapshot would show
        // the child's own face.
        RefreshThroughParent(child);
    }
}

void ReleaseSnapshot(HWND control) {
    auto old = reinterpret_cast<HBITMAP>(GetSkinProp(control, kPropCacheBitmap));
    if (!old) return;
    RemoveSkinProp(control, kPropCacheBitmap);
    BitmapOwner::AdoptReleased(old); // a temporary: deleted at once, and uncounted
}

void ComposeFace(HWND control, Gdiplus::GpImage* image, HDC dc) {
    auto cache = reinterpret_cast<HBITMAP>(GetSkinProp(control, kPropCacheBitmap));
    if (!cache) return;
    if (dc) {
        DrawOnto(control, image, cache, dc);
        return;
    }
    WindowDc window(control);
    DrawOnto(control, image, cache, window.get());
}

void DrawFace(HWND control, HDC dc) {
    ComposeFace(control, StateImage(control, GetDrawStateProp(control)), dc);
}

} // namespace skin
