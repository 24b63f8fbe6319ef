#include "ui/design.hpp"

namespace kovarra::design {

int IndexOf(std::string_view name) {
  for (std::size_t i = 0; i < kControls.size(); ++i) {
    if (kControls[i].name == name) return static_cast<int>(i);
  }
  return -1;
}

const Control* Find(std::string_view name) {
  const int index = IndexOf(name);
  return index < 0 ? nullptr : &kControls[static_cast<std::size_t>(index)];
}

int LogoIndex(const Control& control) {
  if (control.kind != Kind::PictureBox) return -1;
  int index = 0;
  for (const Control& other : kControls) {
    if (&other == &control) return index;
    if (other.kind == Kind::PictureBox) ++index;
  }
  return -1;
}

std::array<const Control*, 5> TabStops() {
  std::array<const Control*, 5> stops{};
  for (const Control& control : kControls) {
    if (control.tabOrder >= 0 && control.tabOrder < static_cast<int>(stops.size())) {
      stops[static_cast<std::size_t>(control.tabOrder)] = &control;
    }
  }
  return stops;
}

}  // namespace kovarra::design
