#include "Operations.h"

#include <QString>
#include <algorithm>
#include <limits>
#include <stdexcept>
#include <tuple>
#include <type_traits>
#include <utility>

#include "CDIB.h"
#include "PackedPixels.h"
#include "Qrix.h"
#include "cEffectDIB.h"
#include "cFilterDIB.h"

namespace orvane {

namespace {

// What an entry says of a parameter; its kind and the values it accepts follow
// from the type the applying function takes.
struct ParamInit {
  const char* name;
  int32_t def;
};

constexpr ParamInit p(const char* name, int32_t def) { return {name, def}; }

MenuItem in(const char* array, int index, const char* caption) { return {array, index, caption, {}}; }
MenuItem in(const char* array, int index, const char* caption, int32_t arg) {
  return {array, index, caption, {arg}};
}

template <typename T>
Param paramOf(const ParamInit& init) {
  if constexpr (std::is_same_v<T, bool>)
    return {init.name, ParamKind::Bool, 0, 1, init.def};
  else if constexpr (std::is_same_v<T, uint8_t>)
    return {init.name, ParamKind::Byte, 0, 255, init.def};
  else if constexpr (std::is_same_v<T, int16_t>)
    return {init.name, ParamKind::Short, std::numeric_limits<int16_t>::min(),
            std::numeric_limits<int16_t>::max(), init.def};
  else {
    static_assert(std::is_same_v<T, int32_t>, "parameters are bool, uint8_t, int16_t or int32_t");
    return {init.name, ParamKind::Int, std::numeric_limits<int32_t>::min(),
            std::numeric_limits<int32_t>::max(), init.def};
  }
}

template <typename T>
T argumentAs(int32_t value) {
  if constexpr (std::is_same_v<T, bool>)
    return value != 0;
  else
    return static_cast<T>(value);
}

// What the member functions that apply operations have in common: the image,
// then one argument per parameter, and nothing or success returned.
template <auto Fn>
struct Applier;

template <typename C, typename R, typename... A, R (C::*Fn)(CDIB&, A...)>
struct Applier<Fn> {
  static constexpr bool filter = std::is_same_v<C, cFilterDIB>;
  static constexpr size_t arity = sizeof...(A);

  static std::vector<Param> params(std::initializer_list<ParamInit> inits) {
    if (inits.size() != arity) throw std::logic_error("an operation's parameters do not match its function");
    std::vector<Param> out;
    size_t i = 0;
    ((out.push_back(paramOf<std::decay_t<A>>(inits.begin()[i++]))), ...);
    return out;
  }

  static bool run(OperationTools& tools, CDIB& image, OperationArgs args) {
    C* object = nullptr;
    if constexpr (filter)
      object = &tools.filters;
    else
      object = &tools.effects;
    return call(*object, image, args, std::index_sequence_for<A...>{});
  }

  template <size_t... I>
  static bool call(C& object, CDIB& image, [[maybe_unused]] OperationArgs args, std::index_sequence<I...>) {
    // Values of their own: a function may write back through a reference (Blinds does).
    std::tuple<std::decay_t<A>...> values{argumentAs<std::decay_t<A>>(args[I])...};
    if constexpr (std::is_void_v<R>) {
      (object.*Fn)(image, std::get<I>(values)...);
      return true;
    } else {
      return (object.*Fn)(image, std::get<I>(values)...);
    }
  }
};

// An entry for a member function of the filter or the effect object; an
// operation without one is written as an OperationDef with a lambda.
template <auto Fn>
OperationDef entry(const char* name, std::initializer_list<ParamInit> params,
                   std::initializer_list<MenuItem> menu = {}) {
  using A = Applier<Fn>;
  return {name,
          A::filter ? OperationDef::Filter : OperationDef::Effect,
          A::params(params),
          menu,
          &A::run,
          std::nullopt,
          nullptr,
          false};
}

template <auto Fn>
OperationDef entry(const char* name, std::initializer_list<MenuItem> menu = {}) {
  return entry<Fn>(name, std::initializer_list<ParamInit>{}, menu);
}

// The box blur reads its radius around a pixel; below 1 it changes nothing.
std::optional<int32_t> fastBlurPlusReach(OperationArgs args) { return std::max(args[0], 1); }

OperationDef withReach(OperationDef def, std::optional<int32_t> (*reachOf)(OperationArgs)) {
  def.reachOf = reachOf;
  return def;
}

// Reaches: 1 for pixel-by-pixel operations too, as some library functions
// treat the last bytes of their buffer apart (the margin keeps those out of
// the part); 2 for the 3 x 3 filters, which treat the edge of their buffer
// apart. Every entry without a reach reads the whole picture, draws random
// numbers, depends on where a pixel lies, or changes the size.
std::vector<OperationDef> buildOperations() {
  using F = cFilterDIB;
  using E = cEffectDIB;
  return {
      entry<&F::UnSharpMask>("UnSharpMask", {in("mnu_Sharpen", 4, "Unsharpen Mask")}).within(1),
      entry<&F::SharpenLess>("SharpenLess", {in("mnu_Sharpen", 2, "Less Sharpen")}).within(1),
      entry<&F::SharpenMore>("SharpenMore", {in("mnu_Sharpen", 3, "More Sharpen")}).within(1),
      entry<&F::SimpleSharpen>("SimpleSharpen", {in("mnu_Sharpen", 1, "Simple Sharpen")}).within(1),
      entry<&F::BlurMore>("BlurMore", {in("mnu_Blur", 3, "More Blur")}).within(2),
      entry<&F::BlurSoftly>("BlurSoftly", {in("mnu_Blur", 2, "Soft Blur")}).within(1),
      entry<&F::EmbossHightLight>("EmbossHightLight", {in("mnu_Sharpen", 6, "Emboss HighLight")}).within(1),
      entry<&F::EmbossColor>("EmbossColor", {in("mnu_Sharpen", 7, "Emboss Color")}).within(1),
      entry<&F::AdjLevel>("AdjLevel", {p("RMin", 0), p("RMax", 255), p("GMin", 0), p("GMax", 255),
                                       p("bMin", 0), p("BMax", 255)})
          .within(1),
      entry<&F::EnhanceEdge>("EnhanceEdge", {in("mnu_Sharpen", 5, "Enhance Edge")}).within(1),
      entry<&F::HistogramEquip>("HistogramEquip").within(1),
      entry<&F::SuperEdge>("SuperEdge", {in("mnu_Style", 9, "Super Edge")}).within(2),
      entry<&F::FastBlur>("FastBlur", {in("mnu_Blur", 0, "Fast Blur")}).within(2),
      entry<&F::ArtisticEdge>("ArtisticEdge", {in("mnu_Style", 11, "Artistic Edge")}),
      entry<&F::SpecialBlur>("SpecialBlur", {in("mnu_Blur", 4, "Special Blur")}).within(2),
      entry<&F::AutoContrast>("AutoContrast", {in("mnu_Filter_AutoProcess", 1, "Auto Contrast     F3")}),
      entry<&F::ColorBound>("ColorBound", {p("RMin", 0), p("RMax", 255), p("GMin", 0), p("GMax", 255),
                                           p("bMin", 0), p("BMax", 255)})
          .within(1),
      entry<&F::FalseColor>("FalseColor", {in("mnu_Filter_ColorAdj", 18, "Simulate Color(for GreyScale)")})
          .within(1),
      withReach(entry<&F::FastBlurPlus>("FastBlurPlus", {p("xScale", 3)}), fastBlurPlusReach),
      entry<&F::AutoLevel>("AutoLevel", {in("mnu_Filter_AutoProcess", 0, "Auto Level           F2")}),
      // Spreads each channel's levels by how often they occur; counted over the whole
      // picture (or the whole selected part), so it has no reach.
      {"Equalize",
       OperationDef::Filter,
       {},
       {in("mnu_Filter_AutoProcess", 2, "Equalize")},
       [](OperationTools&, CDIB& image, OperationArgs) {
         if (image.DIBPointer() == nullptr) return true;
         withPackedPixels(image, [&](uint8_t* pixels, int32_t size) {
           QRIX(dllhisequip)(pixels, size, image.Width(), image.Height());
         });
         return true;
       },
       std::nullopt,
       nullptr,
       false},
      entry<&F::InvertAll>("InvertAll", {in("mnu_Filter_Invert", 0, "Invert RGB")}).within(1),
      entry<&F::InvertRed>("InvertRed", {in("mnu_Filter_Invert", 1, "Invert Red")}).within(1),
      entry<&F::InvertGreen>("InvertGreen", {in("mnu_Filter_Invert", 2, "Invert Green")}).within(1),
      entry<&F::InvertBlue>("InvertBlue", {in("mnu_Filter_Invert", 3, "Invert Blue")}).within(1),
      entry<&F::InvertCyan>("InvertCyan", {in("mnu_Filter_Invert", 6, "Invert Cyan")}).within(1),
      entry<&F::InvertCarmine>("InvertCarmine", {in("mnu_Filter_Invert", 4, "Invert Carmine")}).within(1),
      entry<&F::InvertYellow>("InvertYellow", {in("mnu_Filter_Invert", 5, "Invert Yellow")}).within(1),
      entry<&F::GreyScale_Average>("GreyScale_Average", {in("mnu_Filter_GreyScale", 1, "Average GreyScale")})
          .within(1),
      entry<&F::GreyScale_HighLight>("GreyScale_HighLight", {in("mnu_Filter_GreyScale", 2, "High Light")})
          .within(1),
      entry<&F::GreyScale_MedianLight>("GreyScale_MedianLight",
                                       {in("mnu_Filter_GreyScale", 3, "Median Light")})
          .within(1),
      entry<&F::GreyScale_LowLight>("GreyScale_LowLight", {in("mnu_Filter_GreyScale", 4, "Low Light")})
          .within(1),
      entry<&F::GreyScale_OnlyR>("GreyScale_OnlyR", {in("mnu_Filter_GreyScale", 5, "Only R")}).within(1),
      entry<&F::GreyScale_OnlyG>("GreyScale_OnlyG", {in("mnu_Filter_GreyScale", 6, "Only G")}).within(1),
      entry<&F::GreyScale_OnlyB>("GreyScale_OnlyB", {in("mnu_Filter_GreyScale", 7, "Only B")}).within(1),
      entry<&F::StandardGreyscale>("StandardGreyscale", {in("mnu_Filter_GreyScale", 0, "Standard GreyScale")})
          .within(1),
      entry<&F::Brightness>("Brightness", {p("Rpct", 0)}).within(1),
      entry<&F::Contrast>("Contrast", {p("Rpct", 100)}).within(1),
      entry<&F::Exposal>("Exposal", {p("Rpct", 50)}).within(1),
      entry<&F::RGBBalance>("RGBBalance", {p("Cr", 0), p("cG", 0), p("Cb", 0)}).within(1),
      entry<&F::RGB2BRG>("RGB2BRG", {in("mnu_Filter_RGBExchange", 1, "RGB to BRG")}).within(1),
      entry<&F::RGB2BGR>("RGB2BGR", {in("mnu_Filter_RGBExchange", 0, "RGB to BGR")}).within(1),
      entry<&F::RGB2GRB>("RGB2GRB", {in("mnu_Filter_RGBExchange", 3, "RGB to GRB")}).within(1),
      entry<&F::RGB2GBR>("RGB2GBR", {in("mnu_Filter_RGBExchange", 2, "RGB to GBR")}).within(1),
      entry<&F::RGB2RBG>("RGB2RBG", {in("mnu_Filter_RGBExchange", 4, "RGB to RBG")}).within(1),
      entry<&F::YUVBalance>("YUVBalance", {p("xy", 0), p("xu", 0), p("xv", 0)}).within(1),
      entry<&F::HSLBalance>("HSLBalance", {p("xH", 0), p("xS", 0), p("xL", 0)}).within(1),
      entry<&F::YCbCrBalance>("YCbCrBalance", {p("xy", 0), p("xcb", 0), p("xcr", 0)}).within(1),
      entry<&F::KillRed>("KillRed", {in("mnu_Filter_KillColor", 0, "Kill Red")}).within(1),
      entry<&F::KillGreen>("KillGreen", {in("mnu_Filter_KillColor", 1, "Kill Green")}).within(1),
      entry<&F::KillBlue>("KillBlue", {in("mnu_Filter_KillColor", 2, "Kill Blue")}).within(1),
      entry<&F::KillYellow>("KillYellow", {in("mnu_Filter_KillColor", 5, "Kill Yellow")}).within(1),
      entry<&F::KillCyan>("KillCyan", {in("mnu_Filter_KillColor", 3, "Kill Cyan")}).within(1),
      entry<&F::KillCarmine>("KillCarmine", {in("mnu_Filter_KillColor", 4, "Kill Carmine")}).within(1),
      entry<&F::SoftRed>("SoftRed", {in("mnu_Filter_SoftColor", 0, "Soft Red")}).within(1),
      entry<&F::SoftGreen>("SoftGreen", {in("mnu_Filter_SoftColor", 1, "Soft Green")}).within(1),
      entry<&F::SoftOrange>("SoftOrange", {in("mnu_Filter_SoftColor", 2, "Soft Orange")}).within(1),
      entry<&F::SoftYellow>("SoftYellow", {in("mnu_Filter_SoftColor", 3, "Soft Yellow")}).within(1),
      entry<&F::SoftPurple>("SoftPurple", {in("mnu_Filter_SoftColor", 4, "Soft Purple")}).within(1),
      entry<&F::HardRed>("HardRed", {in("mnu_Filter_HardColor", 0, "Hard Red")}).within(1),
      entry<&F::HardGreen>("HardGreen", {in("mnu_Filter_HardColor", 1, "Hard Green")}).within(1),
      entry<&F::HardBlue>("HardBlue", {in("mnu_Filter_HardColor", 2, "Hard Blue")}).within(1),
      entry<&F::HardYellow>("HardYellow", {in("mnu_Filter_HardColor", 3, "Hard Yellow")}).within(1),
      entry<&F::FastPurple>("FastPurple", {in("mnu_Filter_FastColor", 0, "Fast Purple")}).within(1),
      entry<&F::FastGrey>("FastGrey", {in("mnu_Filter_FastColor", 1, "Fast Grey")}).within(1),
      entry<&F::FastYellow>("FastYellow", {in("mnu_Filter_FastColor", 2, "Fast Yellow")}).within(1),
      entry<&F::FastBrown>("FastBrown", {in("mnu_Filter_FastColor", 3, "Fast Brown")}).within(1),
      entry<&F::FastDarkBrown>("FastDarkBrown", {in("mnu_Filter_FastColor", 4, "Fast Brown More")}).within(1),
      entry<&F::BlackWhite>("BlackWhite", {p("Average", 1), p("Bw", 128)}).within(1),
      entry<&F::MotionBlur>("MotionBlur", {p("Intensity", 5), p("Direction", 1)}),
      entry<&F::GaussBlur>("GaussBlur", {in("mnu_Blur", 1, "Gauss Blur")}).within(2),
      entry<&F::Sharpen>("Sharpen", {p("Rpct", 100), p("Direction", 1)}).within(2),
      entry<&F::Sharpen_Horizontal>("Sharpen_Horizontal", {in("mnu_Sharpen", 8, "Edge Detect - Horizontal")})
          .within(2),
      entry<&F::Sharpen_Vertical>("Sharpen_Vertical", {in("mnu_Sharpen", 9, "Edge Detect - Vertical")})
          .within(2),
      entry<&F::Sharpen_Roberts>("Sharpen_Roberts", {in("mnu_Sharpen", 10, "Edge Detect - Roberts")})
          .within(2),
      entry<&F::Sharpen_Wallis>("Sharpen_Wallis", {in("mnu_Sharpen", 11, "Edge Detect - Wallis")}).within(2),
      entry<&F::Sharpen_Laplacian1>("Sharpen_Laplacian1",
                                    {in("mnu_Sharpen", 12, "Edge Detect - Laplacian 1")})
          .within(2),
      entry<&F::Sharpen_Laplacian2>("Sharpen_Laplacian2",
                                    {in("mnu_Sharpen", 13, "Edge Detect - Laplacian 2")})
          .within(2),
      entry<&F::Emboss>("Emboss", {p("GreyScale", 1), p("Intensity", 1), p("Direction", 1), p("xR", 128),
                                   p("xG", 128), p("xB", 128)}),
      entry<&F::Engrave>("Engrave", {in("mnu_Filter_Engrave", 0, "Engrave RGB")}).within(2),
      entry<&F::EngraveRed>("EngraveRed", {in("mnu_Filter_Engrave", 1, "Engrave Red")}),
      entry<&F::EngraveGreen>("EngraveGreen", {in("mnu_Filter_Engrave", 2, "Engrave Green")}),
      entry<&F::EngraveBlue>("EngraveBlue", {in("mnu_Filter_Engrave", 3, "Engrave Blue")}),
      entry<&F::EngraveCyan>("EngraveCyan", {in("mnu_Filter_Engrave", 4, "Engrave Cyan")}),
      entry<&F::EngraveCarmine>("EngraveCarmine", {in("mnu_Filter_Engrave", 5, "Engrave Carmine")}),
      entry<&F::EngraveYellow>("EngraveYellow", {in("mnu_Filter_Engrave", 6, "Engrave Yellow")}),
      entry<&F::Contour>("Contour", {in("mnu_Style", 12, "Contour")}).within(2),
      entry<&F::Diffuse>("Diffuse", {p("Diffuse", 5)}),
      entry<&F::AfricaF>("AfricaF", {in("mnu_Style", 5, "Africa")}).within(1),
      entry<&F::Strange>("Strange", {in("mnu_Style", 7, "Strange")}).within(1),
      entry<&F::Unreal>("Unreal", {in("mnu_Style", 8, "Unreal")}).within(1),
      entry<&F::CharCoal>("CharCoal", {in("mnu_Style", 6, "CharCoal")}).within(1),
      entry<&F::KeshNost>("KeshNost", {p("Nos", 24)}).within(1),
      entry<&F::Neon>("Neon", {p("xNeon", 32)}),
      entry<&F::Erode>("Erode", {p("xErode", 4)}).within(1),
      entry<&F::Ice>("Ice", {p("Freeze", 200)}).within(1),
      entry<&F::Wave>("Wave", {p("intWave", 4)}),
      entry<&F::Noise>("Noise", {in("mnu_Filter_Physics", 1, "Noise")}),
      entry<&F::Liquid>("Liquid", {in("mnu_Filter_Physics", 2, "Liquid")}).within(1),
      entry<&F::WetPaper>("WetPaper", {in("mnu_Filter_Physics", 3, "Wet Paper")}).within(1),
      entry<&F::Wind>("Wind", {p("Blow", 10)}).within(1),
      entry<&F::Fog>("Fog", {p("xFog", 1), p("Area", 1)}),
      entry<&F::Flame>("Flame", {in("mnu_Filter_Nature", 2, "Flame")}).within(1),
      entry<&F::Night>("Night", {in("mnu_Filter_Nature", 3, "Night")}).within(1),
      entry<&F::Eclipse>("Eclipse", {in("mnu_Filter_Nature", 4, "Eclipse")}).within(1),
      entry<&F::WaterColour>("WaterColour", {p("xWater", 40)}).within(1),
      entry<&F::Comedy>("Comedy", {p("xCome", 300)}).within(1),
      entry<&F::Spotted>("Spotted", {p("xSpotted", 100)}).within(1),
      entry<&F::Noise_Reduction_Median>("Noise_Reduction_Median",
                                        {in("mnu_Blur", 7, "Noise Reduction - Median Filtering")})
          .within(2),
      entry<&F::Canvas>("Canvas", {p("xScale", 1), p("YScale", 8)}),
      entry<&E::Rotate>(
          "Rotate", {p("Angle", 90)},
          {in("mnu_Effect_Rotate", 0, "90 Degree", 90), in("mnu_Effect_Rotate", 1, "180 Degree", 180),
           in("mnu_Effect_Rotate", 2, "270 Degree", 270)})
          .whole(),
      entry<&E::Zoom>("Zoom", {p("newW", 100), p("newH", 100), p("ByRatio", 1)}).whole(),
      entry<&E::FlipHor>("FlipHor", {in("mnu_Effect_Flip", 0, "Flip Horizontal")}),
      entry<&E::FlipVer>("FlipVer", {in("mnu_Effect_Flip", 1, "Flip Vertical")}),
      entry<&E::MirrorHor>("MirrorHor", {in("mnu_Effect_SimpleMirror", 0, "Mirror Horizontal")}),
      entry<&E::MirrorHorRev>("MirrorHorRev",
                              {in("mnu_Effect_SimpleMirror", 1, "Mirror Horizontal Reversed")}),
      entry<&E::MirrorVer>("MirrorVer", {in("mnu_Effect_SimpleMirror", 2, "Mirror Vertical")}),
      entry<&E::MirrorVerRev>("MirrorVerRev", {in("mnu_Effect_SimpleMirror", 3, "Mirror Vertical Reversed")}),
      entry<&E::MixColor>("MixColor", {p("AB", 50), p("xR", 0), p("xG", 0), p("xB", 100)}).within(1),
      entry<&E::Blinds>("Blinds", {p("Blinds", 10), p("Reverse", 0), p("Hor", 0), p("Bump", 0)}),
      entry<&E::Pentagon>("Pentagon", {p("HighRatio", 40), p("MedRatio", 50), p("LowRatio", 40)}).whole(),
      entry<&E::Trapezia>("Trapezia", {p("Ratio", 50), p("Rev", 0), p("Hor", 0)}).whole(),
      entry<&E::Parallel>("Parallel", {p("Ratio", 50), p("Rev", 0), p("Hor", 0)}).whole(),
  };
}

}  // namespace

bool OperationDef::apply(CDIB& image, OperationArgs args) const {
  // One set of operation objects per thread: they keep working copies between
  // calls, and a batch runs its files on threads of their own.
  thread_local cFilterDIB filters;
  thread_local cEffectDIB effects;
  OperationTools tools{filters, effects};
  return run(tools, image, args);
}

std::string OperationDef::signature() const {
  std::string text = name;
  for (size_t i = 0; i < params.size(); ++i) {
    text += i == 0 ? ":" : ",";
    text += params[i].name;
  }
  return text;
}

const std::vector<OperationDef>& Operations() {
  static const std::vector<OperationDef> all = buildOperations();
  return all;
}

const OperationDef* FindOperation(std::string_view name) {
  const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  for (const OperationDef& op : Operations())
    if (QString::compare(QString::fromStdString(op.name), wanted, Qt::CaseInsensitive) == 0) return &op;
  return nullptr;
}

}  // namespace orvane
