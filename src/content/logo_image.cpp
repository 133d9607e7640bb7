// Logo image preparation: crop-box geometry in plain integers, images through QtGui.
#include "content/logo_image.h"

#include <QFile>
#include <QImageReader>
#include <QImageWriter>
#include <QSaveFile>
#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <ctime>
#include <filesystem>
#include <system_error>

#include "content/catmull_rom.h"
#include "records/translate_text.h"

namespace plindar {

namespace {

constexpr char kLoadFailedText[] =
    "Image loading failed!Please confirm that the file format is correct (supports PNG / JPG / "
    "BMP).";
constexpr char kFolderFailedText[] = "The folder for cropped logos could not be created:";
constexpr char kSaveFailedText[] = "The cropped logo could not be saved:";
constexpr char kBadCentreText[] = "The crop centre is not a point of the image.";

constexpr char kJpegFormat[] = "jpeg";
// "-hh-mm-ss" needs ten bytes; the rest leaves room for any int the caller passes.
constexpr size_t kStampCapacity = 48;
constexpr int kBytesPerPixel = 4;
constexpr int kChannelMax = 255;
// Rounds a scaled coordinate to the nearest screen pixel before truncation.
constexpr double kHalfPixel = 0.5;

int Scaled(int length, double zoom) {
    return static_cast<int>(length * zoom);
}

// Exact integer arithmetic: the floating-point aspect ratio can land a hair below a
// whole number and lose a pixel when truncated.
logo_size_stu FitInto(int width, int height, logo_size_stu image) {
    const int64_t w = image.width;
    const int64_t h = image.height;
    if (int64_t{width} * h < int64_t{height} * w) {
        return {width, static_cast<int>(int64_t{width} * h / w)};
    }
    return {static_cast<int>(int64_t{height} * w / h), height};
}

logo_rect_stu Intersect(logo_rect_stu a, logo_rect_stu b) {
    logo_rect_stu r{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                    std::min(a.bottom, b.bottom)};
    return r.IsEmpty() ? logo_rect_stu{} : r;
}

logo_rect_stu VisibleImage(const crop_view_stu& view) {
    return Intersect(view.image_rect, view.client);
}

bool IsFinitePoint(logo_pointf_stu p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

std::string InFolder(const std::string& folder, const std::string& name) {
    if (folder.empty() || folder.back() == '/') {
        return folder + name;
    }
    return folder + "/" + name;
}

// Opened by hand: given a file name, Qt would also try the name with image suffixes
// appended and could read a different file than the one chosen.
bool ReadImage(const std::string& path, QImage* image, QSize* declared_size) {
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::ReadOnly)) {
        return false;
    }
    QImageReader reader(&file);
    // Orientation tags are ignored so that the size judged is the size drawn.
    reader.setAutoTransform(false);
    if (declared_size != nullptr) {
        *declared_size = reader.size();
        if (declared_size->isValid()) {
            return true;
        }
    }
    QImage decoded;
    if (!reader.read(&decoded)) {
        return false;
    }
    if (declared_size != nullptr) {
        *declared_size = decoded.size();
    }
    if (image != nullptr) {
        *image = std::move(decoded);
    }
    return true;
}

QImage FlattenOntoWhite(const QImage& premultiplied) {
    QImage flat(premultiplied.size(), QImage::Format_RGB32);
    if (flat.isNull()) {
        return flat;
    }
    for (int y = 0; y < premultiplied.height(); ++y) {
        const QRgb* in = reinterpret_cast<const QRgb*>(premultiplied.constScanLine(y));
        QRgb* out = reinterpret_cast<QRgb*>(flat.scanLine(y));
        for (int x = 0; x < premultiplied.width(); ++x) {
            // Premultiplied colour over white: what is not covered shows white.
            const int uncovered = kChannelMax - qAlpha(in[x]);
            out[x] =
                qRgb(qRed(in[x]) + uncovered, qGreen(in[x]) + uncovered, qBlue(in[x]) + uncovered);
        }
    }
    return flat;
}

}  // namespace

bool IsSmallImage(logo_size_stu image) {
    return image.width <= kLogoWidth && image.height <= kLogoHeight;
}

bool NeedsCrop(logo_size_stu image) {
    return !IsSmallImage(image);
}

bool NeedsCrop(const std::string& path) {
    QSize size;
    if (!ReadImage(path, nullptr, &size)) {
        return false;
    }
    return NeedsCrop(logo_size_stu{size.width(), size.height()});
}

crop_view_stu LoadCropView(logo_size_stu image, logo_rect_stu client) {
    crop_view_stu view;
    view.client = client;
    view.image = image;
    view.small_image = IsSmallImage(image);
    return LayoutImage(view);
}

double DisplayScale(const crop_view_stu& view) {
    if (view.image.width <= 0 || view.image_rect.IsEmpty()) {
        return 0.0;
    }
    return static_cast<double>(view.image_rect.Width()) / view.image.width;
}

crop_view_stu LayoutImage(crop_view_stu view) {
    view.image_rect = {};
    view.crop_box = {};
    const logo_rect_stu& c = view.client;
    const int client_width = c.Width();
    const int client_height = c.Height();
    if (client_width <= 0 || client_height <= 0 || view.image.width <= 0 ||
        view.image.height <= 0) {
        return view;
    }

    logo_size_stu size;
    if (!view.small_image) {
        const logo_size_stu fitted = FitInto(client_width, client_height, view.image);
        size = {Scaled(fitted.width, view.zoom), Scaled(fitted.height, view.zoom)};
    } else {
        size = {Scaled(view.image.width, view.zoom), Scaled(view.image.height, view.zoom)};
        if (view.zoom == 1.0 && (size.width > client_width || size.height > client_height)) {
            size = FitInto(client_width, client_height, view.image);
        }
    }

    int left = c.left + (client_width - size.width) / 2 + view.pan.x;
    int top = c.top + (client_height - size.height) / 2 + view.pan.y;
    if (left > c.right - kKeepVisiblePixels) {
        view.pan.x += c.right - kKeepVisiblePixels - left;
        left = c.right - kKeepVisiblePixels;
    }
    if (left + size.width < c.left + kKeepVisiblePixels) {
        const int shift = c.left + kKeepVisiblePixels - (left + size.width);
        view.pan.x += shift;
        left += shift;
    }
    if (top > c.bottom - kKeepVisiblePixels) {
        view.pan.y += c.bottom - kKeepVisiblePixels - top;
        top = c.bottom - kKeepVisiblePixels;
    }
    if (top + size.height < c.top + kKeepVisiblePixels) {
        const int shift = c.top + kKeepVisiblePixels - (top + size.height);
        view.pan.y += shift;
        top += shift;
    }
    view.image_rect = {left, top, left + size.width, top + size.height};
    view.crop_box = LayoutCropBox(view);
    return view;
}

logo_rect_stu LayoutCropBox(const crop_view_stu& view) {
    if (view.small_image) {
        return {};
    }
    const logo_rect_stu visible = VisibleImage(view);
    const double s = DisplayScale(view);
    if (visible.IsEmpty() || s <= 0.0) {
        return {};
    }
    const int width = std::min(static_cast<int>(kLogoWidth * s + kHalfPixel), visible.Width());
    const int height = std::min(static_cast<int>(kLogoHeight * s + kHalfPixel), visible.Height());
    if (width <= 0 || height <= 0) {
        return {};
    }

    const logo_rect_stu& image = view.image_rect;
    int centre_x = image.left + image.Width() / 2;
    int centre_y = image.top + image.Height() / 2;
    if (view.crop_centre && IsFinitePoint(*view.crop_centre)) {
        // A centre off the image ends at the same edge as one on its border, and the
        // clamp keeps far-off values from overflowing the conversion.
        const double x =
            std::clamp(view.crop_centre->x, 0.0, static_cast<double>(view.image.width));
        const double y =
            std::clamp(view.crop_centre->y, 0.0, static_cast<double>(view.image.height));
        centre_x = image.left + static_cast<int>(x * s + kHalfPixel);
        centre_y = image.top + static_cast<int>(y * s + kHalfPixel);
    }
    const int left = centre_x - width / 2;
    const int top = centre_y - height / 2;
    return KeepInside({left, top, left + width, top + height}, visible);
}

logo_rect_stu KeepInside(logo_rect_stu box, logo_rect_stu visible) {
    if (box.left < visible.left) {
        const int shift = visible.left - box.left;
        box.left += shift;
        box.right += shift;
    } else if (box.right > visible.right) {
        const int shift = box.right - visible.right;
        box.left -= shift;
        box.right -= shift;
    }
    if (box.top < visible.top) {
        const int shift = visible.top - box.top;
        box.top += shift;
        box.bottom += shift;
    } else if (box.bottom > visible.bottom) {
        const int shift = box.bottom - visible.bottom;
        box.top -= shift;
        box.bottom -= shift;
    }
    return Intersect(box, visible);
}

crop_view_stu RememberCropCentre(crop_view_stu view) {
    const double s = DisplayScale(view);
    if (s <= 0.0 || view.crop_box.IsEmpty()) {
        return view;
    }
    // Integer halves, as the box is placed: a remembered centre then lays the same box
    // out again instead of creeping by a pixel at every layout.
    const int centre_x = (view.crop_box.left + view.crop_box.right) / 2;
    const int centre_y = (view.crop_box.top + view.crop_box.bottom) / 2;
    view.crop_centre = logo_pointf_stu{(centre_x - view.image_rect.left) / s,
                                       (centre_y - view.image_rect.top) / s};
    return view;
}

crop_view_stu DragCropBox(crop_view_stu view, logo_rect_stu start_box,
                          logo_point_stu displacement) {
    if (view.small_image || start_box.IsEmpty()) {
        return view;
    }
    const logo_rect_stu moved{start_box.left + displacement.x, start_box.top + displacement.y,
                              start_box.right + displacement.x, start_box.bottom + displacement.y};
    view.crop_box = KeepInside(moved, VisibleImage(view));
    return view;
}

crop_view_stu PanImage(crop_view_stu view, logo_point_stu start_pan, logo_point_stu displacement) {
    view = RememberCropCentre(view);
    view.pan = {start_pan.x + displacement.x, start_pan.y + displacement.y};
    return LayoutImage(view);
}

crop_view_stu ResetView(crop_view_stu view) {
    view.zoom = 1.0;
    view.pan = {};
    view.crop_centre.reset();
    return LayoutImage(view);
}

crop_view_stu ResizeView(crop_view_stu view, logo_rect_stu client) {
    view = RememberCropCentre(view);
    view.client = client;
    return LayoutImage(view);
}

double NextZoom(double zoom, int wheel_delta) {
    const double next = wheel_delta > 0 ? zoom * kZoomStep : zoom / kZoomStep;
    return std::clamp(next, kMinZoom, kMaxZoom);
}

crop_view_stu ZoomAt(crop_view_stu view, logo_point_stu pointer, int wheel_delta) {
    const double s = DisplayScale(view);
    if (s <= 0.0) {
        return view;
    }
    const logo_rect_stu& shown = view.image_rect;
    const logo_point_stu anchor =
        shown.Contains(pointer)
            ? pointer
            : logo_point_stu{(shown.left + shown.right) / 2, (shown.top + shown.bottom) / 2};
    const double image_x = (anchor.x - shown.left) / s;
    const double image_y = (anchor.y - shown.top) / s;

    const double zoom = NextZoom(view.zoom, wheel_delta);
    if (zoom == view.zoom) {
        return view;
    }
    view = RememberCropCentre(view);
    view.zoom = zoom;
    view = LayoutImage(view);
    const double new_s = DisplayScale(view);
    if (new_s <= 0.0) {
        return view;
    }
    view.pan.x +=
        anchor.x - (view.image_rect.left + static_cast<int>(new_s * image_x + kHalfPixel));
    view.pan.y += anchor.y - (view.image_rect.top + static_cast<int>(new_s * image_y + kHalfPixel));
    return LayoutImage(view);
}

logo_rectf_stu CropSourceRect(const crop_view_stu& view) {
    const double s = DisplayScale(view);
    if (s <= 0.0 || view.crop_box.IsEmpty()) {
        return {};
    }
    return {(view.crop_box.left - view.image_rect.left) / s,
            (view.crop_box.top - view.image_rect.top) / s, view.crop_box.Width() / s,
            view.crop_box.Height() / s};
}

logo_rect_stu ImageCropBox(logo_size_stu image, std::optional<logo_pointf_stu> centre) {
    crop_view_stu view;
    view.image = image;
    view.small_image = IsSmallImage(image);
    view.client = {0, 0, image.width, image.height};
    view.image_rect = view.client;
    view.crop_centre = centre;
    return LayoutCropBox(view);
}

std::string LogoOutputName(const std::string& source_path, int hour, int minute, int second) {
    const size_t slash = source_path.find_last_of('/');
    const std::string name =
        slash == std::string::npos ? source_path : source_path.substr(slash + 1);
    const size_t dot = name.find('.');
    const std::string base = dot == std::string::npos ? name : name.substr(0, dot);
    const std::string extension = dot == std::string::npos ? std::string() : name.substr(dot);
    char stamp[kStampCapacity];
    std::snprintf(stamp, sizeof(stamp), "-%02d-%02d-%02d", hour, minute, second);
    return base + stamp + extension;
}

bool CLogoImage::LoadImage(const std::string& path) {
    image_ = QImage();
    path_.clear();
    QImage decoded;
    if (!ReadImage(path, &decoded, nullptr)) {
        return false;
    }
    image_ = decoded.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    if (image_.isNull()) {
        return false;
    }
    path_ = path;
    return true;
}

QImage CLogoImage::RenderOutput(const logo_rectf_stu& source) const {
    if (!IsLoaded()) {
        return {};
    }
    if (IsSmall()) {
        return image_.copy();
    }
    QImage out(kLogoWidth, kLogoHeight, QImage::Format_ARGB32_Premultiplied);
    if (out.isNull()) {
        return {};
    }
    const argb_source_stu from{reinterpret_cast<const uint32_t*>(image_.constBits()),
                               image_.width(), image_.height(),
                               image_.bytesPerLine() / kBytesPerPixel};
    const argb_target_stu to{reinterpret_cast<uint32_t*>(out.bits()), out.width(), out.height(),
                             out.bytesPerLine() / kBytesPerPixel};
    if (!ResampleCatmullRom(from, {source.x, source.y, source.width, source.height}, to)) {
        return {};
    }
    return out;
}

bool CLogoImage::SaveAsJpeg(const std::string& path, const logo_rectf_stu& source) const {
    const QImage rendered = RenderOutput(source);
    if (rendered.isNull()) {
        return false;
    }
    const QImage flat = FlattenOntoWhite(rendered);
    if (flat.isNull()) {
        return false;
    }
    // Written beside the target and renamed into place, so a failed or interrupted
    // save never leaves a half-written logo that a run could pick up.
    QSaveFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::WriteOnly)) {
        return false;
    }
    QImageWriter writer(&file, kJpegFormat);
    writer.setQuality(kLogoJpegQuality);
    if (!writer.write(flat)) {
        file.cancelWriting();
        return false;
    }
    return file.commit();
}

logo_result_stu WriteLogoOutput(const std::string& program_folder, const CLogoImage& image,
                                const logo_rectf_stu& source) {
    if (!image.IsLoaded()) {
        return {false, {}, TranslateText(kLoadFailedText)};
    }
    const std::string folder = InFolder(program_folder, kLogoOutputFolder);
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (!std::filesystem::is_directory(folder, error)) {
        return {false, {}, TranslateText(kFolderFailedText) + " " + folder};
    }

    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    const std::string path =
        InFolder(folder, LogoOutputName(image.Path(), local.tm_hour, local.tm_min, local.tm_sec));
    if (!image.SaveAsJpeg(path, source)) {
        return {false, {}, TranslateText(kSaveFailedText) + " " + path};
    }
    return {true, path, {}};
}

logo_result_stu PrepareLogo(const std::string& program_folder, const std::string& source,
                            std::optional<logo_pointf_stu> crop_centre) {
    CLogoImage image;
    if (!image.LoadImage(source)) {
        return {false, {}, TranslateText(kLoadFailedText)};
    }
    if (!NeedsCrop(image.Size())) {
        return {true, source, {}};
    }
    if (crop_centre && !IsFinitePoint(*crop_centre)) {
        return {false, {}, TranslateText(kBadCentreText)};
    }
    const logo_rect_stu box = ImageCropBox(image.Size(), crop_centre);
    const logo_rectf_stu region{static_cast<double>(box.left), static_cast<double>(box.top),
                                static_cast<double>(box.Width()),
                                static_cast<double>(box.Height())};
    return WriteLogoOutput(program_folder, image, region);
}

}  // namespace plindar
