#include "CliOperations.h"

#include <QString>
#include <charconv>
#include <climits>
#include <exception>

namespace orvane::cli {

namespace {

bool parseArgument(std::string_view text, const Operation& op, size_t i, int32_t& value, std::string& error) {
  const Param& desc = op.params[i];
  if (desc.kind == ParamKind::Bool) {
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
  if (!desc.accepts(v)) {
    error = "argument " + std::string(desc.name) + " must lie between " + std::to_string(desc.min) + " and " +
            std::to_string(desc.max) + ", not " + std::string(text);
    return false;
  }
  value = static_cast<int32_t>(v);
  return true;
}

}  // namespace

std::string describe(const Operation& op) {
  std::string text = op.signature() + "\n";
  for (const Param& param : op.params) {
    text += "  " + std::string(param.name) + ": ";
    if (param.kind == ParamKind::Bool)
      text += std::string("true or false, default ") + (param.def != 0 ? "true" : "false");
    else
      text += "a whole number from " + std::to_string(param.min) + " to " + std::to_string(param.max) +
              ", default " + std::to_string(param.def);
    text += "\n";
  }
  return text;
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
  if (parts.size() != op->params.size()) {
    error = op->name + " takes " + std::to_string(op->params.size()) +
            (op->params.size() == 1 ? " argument" : " arguments") +
            (op->params.empty() ? "" : " (" + op->signature().substr(op->name.size() + 1) + ")") + ", got " +
            std::to_string(parts.size());
    return std::nullopt;
  }
  Step step;
  step.op = op;
  step.args.resize(parts.size());
  for (size_t i = 0; i < parts.size(); ++i) {
    std::string why;
    if (!parseArgument(parts[i], *op, i, step.args[i], why)) {
      error = op->name + ": " + why;
      return std::nullopt;
    }
  }
  return step;
}

std::optional<PixelRect> parseRect(const std::string& text, const std::string& option, std::string& error) {
  int64_t values[4] = {};
  std::string_view rest(text);
  for (int i = 0; i < 4; ++i) {
    const size_t comma = rest.find(',');
    const std::string_view part = rest.substr(0, comma);
    const auto [end, ec] = std::from_chars(part.data(), part.data() + part.size(), values[i]);
    const bool last = i == 3;
    if (part.empty() || ec != std::errc() || end != part.data() + part.size() ||
        (last ? comma != std::string_view::npos : comma == std::string_view::npos) ||
        values[i] < (i < 2 ? 0 : 1) || values[i] > INT32_MAX) {
      error = option + " needs X,Y,W,H: whole numbers, X and Y from 0, W and H from 1 (got '" + text + "')";
      return std::nullopt;
    }
    if (!last) rest.remove_prefix(comma + 1);
  }
  return PixelRect{static_cast<int32_t>(values[0]), static_cast<int32_t>(values[1]),
                   static_cast<int32_t>(values[2]), static_cast<int32_t>(values[3])};
}

bool applySteps(CDIB& image, const std::vector<Step>& steps, std::string& error) {
  std::optional<PixelRect> region;
  for (const Step& step : steps) {
    if (step.kind != Step::Kind::Operation) {
      const char* option = step.kind == Step::Kind::Crop ? "--crop" : "--region";
      const std::string misfit = CheckRect(step.rect, image.Width(), image.Height());
      if (!misfit.empty()) {
        error = std::string(option) + ": " + misfit;
        return false;
      }
      if (step.kind == Step::Kind::Region) {
        region = step.rect;
      } else if (!CropTo(image, step.rect)) {
        error = "--crop: not enough memory";
        return false;
      } else {
        region.reset();
      }
      continue;
    }
    try {
      bool done = true;
      if (region && !step.op->wholePicture) {
        // A region that no longer fits (the picture shrank) is an error, not a silent whole-picture run.
        const std::string misfit = CheckRect(*region, image.Width(), image.Height());
        if (!misfit.empty()) {
          error = "--region: " + misfit;
          return false;
        }
        done = ApplyInside(image, *region, step.op->reachFor(step.args),
                           [&](CDIB& part) { step.op->apply(part, step.args); });
      } else {
        done = step.op->apply(image, step.args);
      }
      if (!done) {
        error = step.op->name + " could not be done";
        return false;
      }
    } catch (const std::exception& e) {
      error = step.op->name + ": " + e.what();
      return false;
    }
  }
  return true;
}

}  // namespace orvane::cli
