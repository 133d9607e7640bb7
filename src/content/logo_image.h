// Logo image preparation: size rules, crop-box geometry, rendering and the JPEG output file.
#pragma once

#include <QImage>
#include <optional>
#include <string>

namespace plindar {

// The size of the logo the devices show.
constexpr int kLogoWidth = 229;
constexpr int kLogoHeight = 51;
constexpr int kLogoJpegQuality = 95;
// The folder of the program folder that receives prepared logos.
inline constexpr char kLogoOutputFolder[] = "ModifyPicture";

// The cropping view's zoom: one wheel step multiplies or divides by the step.
constexpr double kMinZoom = 0.2;
constexpr double kMaxZoom = 10.0;
constexpr double kZoomStep = 1.15;
// However far the image is panned, this much of it stays in view on each axis.
constexpr int kKeepVisiblePixels = 50;

struct logo_size_stu {
    int width = 0;
    int height = 0;
};

struct logo_point_stu {
    int x = 0;
    int y = 0;
};

// A point in image pixels, where fractions matter.
struct logo_pointf_stu {
    double x = 0;
    double y = 0;
};

// Right and bottom are exclusive, as in the view's client coordinates.
struct logo_rect_stu {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int Width() const { return right - left; }
    int Height() const { return bottom - top; }
    bool IsEmpty() const { return right <= left || bottom <= top; }
    bool Contains(logo_point_stu p) const {
        return p.x >= left && p.x < right && p.y >= top && p.y < bottom;
    }
    bool operator==(const logo_rect_stu&) const = default;
};

// A region of the image in image pixels.
struct logo_rectf_stu {
    double x = 0;
    double y = 0;
    double width = 0;
    double height = 0;
};

// The image fits the logo as it is and is never cropped.
bool IsSmallImage(logo_size_stu image);
// Wider or higher than the logo; an image that could not be read (0 x 0) never is.
bool NeedsCrop(logo_size_stu image);
// The same for an image file, judged by the size its header declares; a file that
// cannot be read counts as 0 x 0.
bool NeedsCrop(const std::string& path);

// The cropping view: where the image and the crop box are shown in the view's client
// area, in screen pixels. The front end feeds it mouse and size events through the
// functions below and draws what it holds.
struct crop_view_stu {
    logo_rect_stu client;
    logo_size_stu image;  // 0 x 0 while no image is loaded
    bool small_image = false;
    double zoom = 1.0;
    logo_point_stu pan;  // offset of the image from its centred place
    logo_rect_stu image_rect;
    logo_rect_stu crop_box;  // always empty for a small image
    // The box centre in image pixels; it survives layout changes, so zooming and
    // resizing keep the same region of the image selected.
    std::optional<logo_pointf_stu> crop_centre;
};

// A freshly loaded image: zoom 1, no pan, the box centred on the image.
crop_view_stu LoadCropView(logo_size_stu image, logo_rect_stu client);

// Screen pixels per image pixel; 0 when nothing is shown.
double DisplayScale(const crop_view_stu& view);

// The image fitted to the client area, zoomed, centred and moved by the pan, but
// never further out than kKeepVisiblePixels (the pan is corrected to match); then
// the crop box laid out again.
crop_view_stu LayoutImage(crop_view_stu view);

// The box at the remembered centre (or the image centre), as large as the logo at the
// image's display scale but no larger than the visible part of the image, and kept
// inside that visible part. Empty for a small image or when nothing is visible.
logo_rect_stu LayoutCropBox(const crop_view_stu& view);

// Shifts the box back into `visible` when it sticks out on one side, then clips it.
logo_rect_stu KeepInside(logo_rect_stu box, logo_rect_stu visible);

// Takes the crop centre from the box as it is now shown; unchanged while the image
// or the box is empty.
crop_view_stu RememberCropCentre(crop_view_stu view);

// A box drag: the box as it was at the press, moved by the pointer and kept inside
// the visible image. The centre is taken when the button is released.
crop_view_stu DragCropBox(crop_view_stu view, logo_rect_stu start_box, logo_point_stu displacement);
// An image pan: the pan as it was at the press plus the pointer's displacement.
crop_view_stu PanImage(crop_view_stu view, logo_point_stu start_pan, logo_point_stu displacement);
// A double click: zoom 1, no pan, the box back at the image centre.
crop_view_stu ResetView(crop_view_stu view);
// The view's client area changed size.
crop_view_stu ResizeView(crop_view_stu view, logo_rect_stu client);

// The zoom after one wheel step in (positive delta) or out, held to the limits.
double NextZoom(double zoom, int wheel_delta);
// One wheel step anchored at the pointer (or the image centre when the pointer is off
// the image): the image point under the anchor stays under it.
crop_view_stu ZoomAt(crop_view_stu view, logo_point_stu pointer, int wheel_delta);

// The crop box converted to image pixels: what is stretched over the whole logo.
logo_rectf_stu CropSourceRect(const crop_view_stu& view);

// The box in image pixels when the whole image is shown at its natural size: the
// dialog's geometry at scale 1, around `centre` or the image centre.
logo_rect_stu ImageCropBox(logo_size_stu image, std::optional<logo_pointf_stu> centre);

// "<base>-HH-MM-SS<extension>": the source file's name split at its first dot, the
// time of day between the halves.
std::string LogoOutputName(const std::string& source_path, int hour, int minute, int second);

// A decoded logo source, held as premultiplied ARGB.
class CLogoImage {
public:
    // False, holding nothing, when the file is missing or is no image Qt can decode.
    bool LoadImage(const std::string& path);

    bool IsLoaded() const { return !image_.isNull(); }
    logo_size_stu Size() const { return {image_.width(), image_.height()}; }
    bool IsSmall() const { return IsLoaded() && IsSmallImage(Size()); }
    const std::string& Path() const { return path_; }
    const QImage& Image() const { return image_; }

    // A small image whole at 1:1; otherwise `source` resampled with Catmull-Rom over a
    // kLogoWidth x kLogoHeight bitmap, so a region cut short is stretched to fill it.
    // A null image when nothing is loaded or the region is unusable.
    QImage RenderOutput(const logo_rectf_stu& source) const;

    // RenderOutput flattened onto white (JPEG has no transparency) and written as
    // JPEG at kLogoJpegQuality, whatever the file's extension. The file appears only
    // complete.
    bool SaveAsJpeg(const std::string& path, const logo_rectf_stu& source) const;

private:
    QImage image_;
    std::string path_;
};

struct logo_result_stu {
    bool ok = false;
    std::string path;     // the logo file to send
    std::string message;  // translated, for the operator, when not ok
};

// Renders `source` of the loaded image into a new time-stamped file in the output
// folder of `program_folder`, creating that folder when it is missing.
logo_result_stu WriteLogoOutput(const std::string& program_folder, const CLogoImage& image,
                                const logo_rectf_stu& source);

// The whole preparation of a chosen file: an image that fits is the logo as it is
// (neither copied nor re-encoded); a larger one is cropped around `crop_centre` (image
// pixels) or its own centre and written as a new JPEG. A file that is no readable
// image is refused with the operator's message.
logo_result_stu PrepareLogo(const std::string& program_folder, const std::string& source,
                            std::optional<logo_pointf_stu> crop_centre);

}  // namespace plindar
