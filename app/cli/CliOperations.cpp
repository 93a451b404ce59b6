#include "CliOperations.h"

#include <QString>
#include <charconv>
#include <limits>

#include "cEffectDIB.h"
#include "cFilterDIB.h"

namespace orvane::cli {

namespace {

constexpr ArgSpec I(const char* name) { return {name, ArgKind::Int}; }
constexpr ArgSpec B(const char* name) { return {name, ArgKind::Bool}; }
constexpr ArgSpec U8(const char* name) { return {name, ArgKind::Byte}; }
constexpr ArgSpec S16(const char* name) { return {name, ArgKind::Short}; }

// One set of operation objects per thread: they keep working copies between calls, and a batch
// runs its files on threads of their own.
cFilterDIB& filters() {
  thread_local cFilterDIB object;
  return object;
}

cEffectDIB& effects() {
  thread_local cEffectDIB object;
  return object;
}

using Args = std::vector<int32_t>;

// Operations without arguments.
Operation plain(const char* name, void (cFilterDIB::*fn)(CDIB&)) {
  return {name, {}, [fn](CDIB& image, const Args&) {
            (filters().*fn)(image);
            return true;
          }};
}

Operation plainEffect(const char* name, void (cEffectDIB::*fn)(CDIB&)) {
  return {name, {}, [fn](CDIB& image, const Args&) {
            (effects().*fn)(image);
            return true;
          }};
}

// Filters with one whole-number argument.
Operation one(const char* name, const char* arg, void (cFilterDIB::*fn)(CDIB&, int32_t)) {
  return {name, {I(arg)}, [fn](CDIB& image, const Args& a) {
            (filters().*fn)(image, a[0]);
            return true;
          }};
}

Operation three(const char* name, std::vector<ArgSpec> args,
                void (cFilterDIB::*fn)(CDIB&, int32_t, int32_t, int32_t)) {
  return {name, std::move(args), [fn](CDIB& image, const Args& a) {
            (filters().*fn)(image, a[0], a[1], a[2]);
            return true;
          }};
}

std::vector<Operation> buildOperations() {
  using F = cFilterDIB;
  using E = cEffectDIB;
  std::vector<Operation> ops;
  ops.push_back(plain("UnSharpMask", &F::UnSharpMask));
  ops.push_back(plain("SharpenLess", &F::SharpenLess));
  ops.push_back(plain("SharpenMore", &F::SharpenMore));
  ops.push_back(plain("SimpleSharpen", &F::SimpleSharpen));
  ops.push_back(plain("BlurMore", &F::BlurMore));
  ops.push_back(plain("BlurSoftly", &F::BlurSoftly));
  ops.push_back(plain("EmbossHightLight", &F::EmbossHightLight));
  ops.push_back(plain("EmbossColor", &F::EmbossColor));
  ops.push_back({"AdjLevel",
                 {U8("RMin"), U8("RMax"), U8("GMin"), U8("GMax"), U8("bMin"), U8("BMax")},
                 [](CDIB& image, const Args& a) {
                   filters().AdjLevel(image, a[0], a[1], a[2], a[3], a[4], a[5]);
                   return true;
                 }});
  ops.push_back(plain("EnhanceEdge", &F::EnhanceEdge));
  ops.push_back(plain("HistogramEquip", &F::HistogramEquip));
  ops.push_back(plain("SuperEdge", &F::SuperEdge));
  ops.push_back(plain("FastBlur", &F::FastBlur));
  ops.push_back(plain("ArtisticEdge", &F::ArtisticEdge));
  ops.push_back(plain("SpecialBlur", &F::SpecialBlur));
  ops.push_back(plain("AutoContrast", &F::AutoContrast));
  ops.push_back({"ColorBound",
                 {I("RMin"), I("RMax"), I("GMin"), I("GMax"), I("bMin"), I("BMax")},
                 [](CDIB& image, const Args& a) {
                   filters().ColorBound(image, a[0], a[1], a[2], a[3], a[4], a[5]);
                   return true;
                 }});
  ops.push_back(plain("FalseColor", &F::FalseColor));
  ops.push_back(one("FastBlurPlus", "xScale", &F::FastBlurPlus));
  ops.push_back(plain("AutoLevel", &F::AutoLevel));
  ops.push_back(plain("InvertAll", &F::InvertAll));
  ops.push_back(plain("InvertRed", &F::InvertRed));
  ops.push_back(plain("InvertGreen", &F::InvertGreen));
  ops.push_back(plain("InvertBlue", &F::InvertBlue));
  ops.push_back(plain("InvertCyan", &F::InvertCyan));
  ops.push_back(plain("InvertCarmine", &F::InvertCarmine));
  ops.push_back(plain("InvertYellow", &F::InvertYellow));
  ops.push_back(plain("GreyScale_Average", &F::GreyScale_Average));
  ops.push_back(plain("GreyScale_HighLight", &F::GreyScale_HighLight));
  ops.push_back(plain("GreyScale_MedianLight", &F::GreyScale_MedianLight));
  ops.push_back(plain("GreyScale_LowLight", &F::GreyScale_LowLight));
  ops.push_back(plain("GreyScale_OnlyR", &F::GreyScale_OnlyR));
  ops.push_back(plain("GreyScale_OnlyG", &F::GreyScale_OnlyG));
  ops.push_back(plain("GreyScale_OnlyB", &F::GreyScale_OnlyB));
  ops.push_back(plain("StandardGreyscale", &F::StandardGreyscale));
  ops.push_back(one("Brightness", "Rpct", &F::Brightness));
  ops.push_back(one("Contrast", "Rpct", &F::Contrast));
  ops.push_back(one("Exposal", "Rpct", &F::Exposal));
  ops.push_back(three("RGBBalance", {I("Cr"), I("cG"), I("Cb")}, &F::RGBBalance));
  ops.push_back(plain("RGB2BRG", &F::RGB2BRG));
  ops.push_back(plain("RGB2BGR", &F::RGB2BGR));
  ops.push_back(plain("RGB2GRB", &F::RGB2GRB));
  ops.push_back(plain("RGB2GBR", &F::RGB2GBR));
  ops.push_back(plain("RGB2RBG", &F::RGB2RBG));
  ops.push_back(three("YUVBalance", {I("xy"), I("xu"), I("xv")}, &F::YUVBalance));
  ops.push_back(three("HSLBalance", {I("xH"), I("xS"), I("xL")}, &F::HSLBalance));
  ops.push_back({"YCbCrBalance", {S16("xy"), S16("xcb"), S16("xcr")}, [](CDIB& image, const Args& a) {
                   filters().YCbCrBalance(image, static_cast<int16_t>(a[0]), static_cast<int16_t>(a[1]),
                                          static_cast<int16_t>(a[2]));
                   return true;
                 }});
  ops.push_back(plain("KillRed", &F::KillRed));
  ops.push_back(plain("KillGreen", &F::KillGreen));
  ops.push_back(plain("KillBlue", &F::KillBlue));
  ops.push_back(plain("KillYellow", &F::KillYellow));
  ops.push_back(plain("KillCyan", &F::KillCyan));
  ops.push_back(plain("KillCarmine", &F::KillCarmine));
  ops.push_back(plain("SoftRed", &F::SoftRed));
  ops.push_back(plain("SoftGreen", &F::SoftGreen));
  ops.push_back(plain("SoftOrange", &F::SoftOrange));
  ops.push_back(plain("SoftYellow", &F::SoftYellow));
  ops.push_back(plain("SoftPurple", &F::SoftPurple));
  ops.push_back(plain("HardRed", &F::HardRed));
  ops.push_back(plain("HardGreen", &F::HardGreen));
  ops.push_back(plain("HardBlue", &F::HardBlue));
  ops.push_back(plain("HardYellow", &F::HardYellow));
  ops.push_back(plain("FastPurple", &F::FastPurple));
  ops.push_back(plain("FastGrey", &F::FastGrey));
  ops.push_back(plain("FastYellow", &F::FastYellow));
  ops.push_back(plain("FastBrown", &F::FastBrown));
  ops.push_back(plain("FastDarkBrown", &F::FastDarkBrown));
  ops.push_back({"BlackWhite", {B("Average"), I("Bw")}, [](CDIB& image, const Args& a) {
                   filters().BlackWhite(image, a[0] != 0, a[1]);
                   return true;
                 }});
  ops.push_back({"MotionBlur", {I("Intensity"), I("Direction")}, [](CDIB& image, const Args& a) {
                   filters().MotionBlur(image, a[0], a[1]);
                   return true;
                 }});
  ops.push_back(plain("GaussBlur", &F::GaussBlur));
  ops.push_back({"Sharpen", {I("Rpct"), I("Direction")}, [](CDIB& image, const Args& a) {
                   filters().Sharpen(image, a[0], a[1]);
                   return true;
                 }});
  ops.push_back(plain("Sharpen_Horizontal", &F::Sharpen_Horizontal));
  ops.push_back(plain("Sharpen_Vertical", &F::Sharpen_Vertical));
  ops.push_back(plain("Sharpen_Roberts", &F::Sharpen_Roberts));
  ops.push_back(plain("Sharpen_Wallis", &F::Sharpen_Wallis));
  ops.push_back(plain("Sharpen_Laplacian1", &F::Sharpen_Laplacian1));
  ops.push_back(plain("Sharpen_Laplacian2", &F::Sharpen_Laplacian2));
  ops.push_back({"Emboss",
                 {B("GreyScale"), I("Intensity"), I("Direction"), I("xR"), I("xG"), I("xB")},
                 [](CDIB& image, const Args& a) {
                   filters().Emboss(image, a[0] != 0, a[1], a[2], a[3], a[4], a[5]);
                   return true;
                 }});
  ops.push_back(plain("Engrave", &F::Engrave));
  ops.push_back(plain("EngraveRed", &F::EngraveRed));
  ops.push_back(plain("EngraveGreen", &F::EngraveGreen));
  ops.push_back(plain("EngraveBlue", &F::EngraveBlue));
  ops.push_back(plain("EngraveCyan", &F::EngraveCyan));
  ops.push_back(plain("EngraveCarmine", &F::EngraveCarmine));
  ops.push_back(plain("EngraveYellow", &F::EngraveYellow));
  ops.push_back(plain("Contour", &F::Contour));
  ops.push_back(one("Diffuse", "Diffuse", &F::Diffuse));
  ops.push_back(plain("AfricaF", &F::AfricaF));
  ops.push_back(plain("Strange", &F::Strange));
  ops.push_back(plain("Unreal", &F::Unreal));
  ops.push_back(plain("CharCoal", &F::CharCoal));
  ops.push_back(one("KeshNost", "Nos", &F::KeshNost));
  ops.push_back(one("Neon", "xNeon", &F::Neon));
  ops.push_back(one("Erode", "xErode", &F::Erode));
  ops.push_back(one("Ice", "Freeze", &F::Ice));
  ops.push_back(one("Wave", "intWave", &F::Wave));
  ops.push_back(plain("Noise", &F::Noise));
  ops.push_back(plain("Liquid", &F::Liquid));
  ops.push_back(plain("WetPaper", &F::WetPaper));
  ops.push_back(one("Wind", "Blow", &F::Wind));
  ops.push_back({"Fog", {I("xFog"), I("Area")}, [](CDIB& image, const Args& a) {
                   filters().Fog(image, a[0], a[1]);
                   return true;
                 }});
  ops.push_back(plain("Flame", &F::Flame));
  ops.push_back(plain("Night", &F::Night));
  ops.push_back(plain("Eclipse", &F::Eclipse));
  ops.push_back(one("WaterColour", "xWater", &F::WaterColour));
  ops.push_back(one("Comedy", "xCome", &F::Comedy));
  ops.push_back(one("Spotted", "xSpotted", &F::Spotted));
  ops.push_back(plain("Noise_Reduction_Median", &F::Noise_Reduction_Median));
  ops.push_back({"Canvas", {I("xScale"), I("YScale")}, [](CDIB& image, const Args& a) {
                   filters().Canvas(image, a[0], a[1]);
                   return true;
                 }});

  ops.push_back({"Rotate", {I("Angle")}, [](CDIB& image, const Args& a) {
                   effects().Rotate(image, a[0]);
                   return true;
                 }});
  ops.push_back({"Zoom", {I("newW"), I("newH"), B("ByRatio")}, [](CDIB& image, const Args& a) {
                   return effects().Zoom(image, a[0], a[1], a[2] != 0);
                 }});
  ops.push_back(plainEffect("FlipHor", &E::FlipHor));
  ops.push_back(plainEffect("FlipVer", &E::FlipVer));
  ops.push_back(plainEffect("MirrorHor", &E::MirrorHor));
  ops.push_back(plainEffect("MirrorHorRev", &E::MirrorHorRev));
  ops.push_back(plainEffect("MirrorVer", &E::MirrorVer));
  ops.push_back(plainEffect("MirrorVerRev", &E::MirrorVerRev));
  ops.push_back({"MixColor", {I("AB"), I("xR"), I("xG"), I("xB")}, [](CDIB& image, const Args& a) {
                   effects().MixColor(image, a[0], a[1], a[2], a[3]);
                   return true;
                 }});
  ops.push_back({"Blinds", {I("Blinds"), B("Reverse"), B("Hor"), B("Bump")}, [](CDIB& image, const Args& a) {
                   int32_t blinds = a[0];
                   effects().Blinds(image, blinds, a[1] != 0, a[2] != 0, a[3] != 0);
                   return true;
                 }});
  ops.push_back({"Pentagon", {I("HighRatio"), I("MedRatio"), I("LowRatio")}, [](CDIB& image, const Args& a) {
                   effects().Pentagon(image, a[0], a[1], a[2]);
                   return true;
                 }});
  ops.push_back({"Trapezia", {I("Ratio"), B("Rev"), B("Hor")}, [](CDIB& image, const Args& a) {
                   effects().Trapezia(image, a[0], a[1] != 0, a[2] != 0);
                   return true;
                 }});
  ops.push_back({"Parallel", {I("Ratio"), B("Rev"), B("Hor")}, [](CDIB& image, const Args& a) {
                   effects().Parallel(image, a[0], a[1] != 0, a[2] != 0);
                   return true;
                 }});
  return ops;
}

bool parseArgument(std::string_view text, const ArgSpec& desc, int32_t& value, std::string& error) {
  if (desc.kind == ArgKind::Bool) {
    const QString word = QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).toLower();
    if (word == "1" || word == "true" || word == "yes") {
      value = 1;
      return true;
    }
    if (word == "0" || word == "false" || word == "no") {
      value = 0;
      return true;
    }
    error = "argument " + std::string(desc.name) + " must be true or false (1 or 0), not '" +
            std::string(text) + "'";
    return false;
  }
  int64_t v = 0;
  std::string_view digits = text;
  if (!digits.empty() && digits.front() == '+') digits.remove_prefix(1);
  const auto [end, ec] = std::from_chars(digits.data(), digits.data() + digits.size(), v);
  if (digits.empty() || ec != std::errc() || end != digits.data() + digits.size()) {
    error = "argument " + std::string(desc.name) + " must be a whole number, not '" + std::string(text) + "'";
    return false;
  }
  int64_t low = std::numeric_limits<int32_t>::min(), high = std::numeric_limits<int32_t>::max();
  if (desc.kind == ArgKind::Byte) low = 0, high = 255;
  if (desc.kind == ArgKind::Short)
    low = std::numeric_limits<int16_t>::min(), high = std::numeric_limits<int16_t>::max();
  if (v < low || v > high) {
    error = "argument " + std::string(desc.name) + " must lie between " + std::to_string(low) + " and " +
            std::to_string(high) + ", not " + std::string(text);
    return false;
  }
  value = static_cast<int32_t>(v);
  return true;
}

}  // namespace

std::string Operation::signature() const {
  std::string text = name;
  for (size_t i = 0; i < args.size(); ++i) {
    text += i == 0 ? ":" : ",";
    text += args[i].name;
  }
  return text;
}

const std::vector<Operation>& operations() {
  static const std::vector<Operation> all = buildOperations();
  return all;
}

const Operation* findOperation(std::string_view name) {
  const QString wanted = QString::fromUtf8(name.data(), static_cast<qsizetype>(name.size()));
  for (const Operation& op : operations())
    if (QString::compare(QString::fromStdString(op.name), wanted, Qt::CaseInsensitive) == 0) return &op;
  return nullptr;
}

std::optional<Step> parseStep(const std::string& text, std::string& error) {
  const size_t colon = text.find(':');
  const std::string name = text.substr(0, colon);
  const Operation* op = findOperation(name);
  if (op == nullptr) {
    error = "unknown operation '" + name + "' (--list shows them all)";
    return std::nullopt;
  }
  std::vector<std::string_view> parts;
  if (colon != std::string::npos) {
    std::string_view rest(text);
    rest.remove_prefix(colon + 1);
    while (true) {
      const size_t comma = rest.find(',');
      parts.push_back(rest.substr(0, comma));
      if (comma == std::string_view::npos) break;
      rest.remove_prefix(comma + 1);
    }
  }
  if (parts.size() != op->args.size()) {
    error = op->name + " takes " + std::to_string(op->args.size()) +
            (op->args.size() == 1 ? " argument" : " arguments") +
            (op->args.empty() ? "" : " (" + op->signature().substr(op->name.size() + 1) + ")") + ", got " +
            std::to_string(parts.size());
    return std::nullopt;
  }
  Step step{op, std::vector<int32_t>(parts.size())};
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string why;
    if (!parseArgument(parts[i], op->args[i], step.args[i], why)) {
      error = op->name + ": " + why;
      return std::nullopt;
    }
  }
  return step;
}

}  // namespace orvane::cli
