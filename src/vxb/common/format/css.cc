// The style-sheet file builder.
#include <algorithm>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "vxb/common/format/html.h"
#include "vxb/common/runtime/error.h"

namespace VXB::HTML {

namespace {

constexpr const char* COLOR_NAMES[] = {
    "aqua", "black", "blue",   "fuchsia", "gray",   "green", "lime",  "maroon",
    "navy", "olive", "purple", "red",     "silver", "teal",  "white", "yellow",
};

constexpr const char* FONT_SIZE_NAMES[] = {"x-small", "small", "medium", "large", "x-large"};

constexpr const char* TEXT_ALIGN[] = {"left", "right", "center"};

// A table is placed by its side margins: the automatic one takes the room.
struct SideMargins {
  const char* Left;
  const char* Right;
};
constexpr SideMargins TABLE_MARGINS[] = {{"0", "auto"}, {"auto", "0"}, {"auto", "auto"}};

// An image floats to its side, or becomes a block between automatic margins.
constexpr const char* IMAGE_PLACEMENT[] = {
    "float: left; ",
    "float: right; ",
    "display: block; margin-left: auto; margin-right: auto; ",
};

constexpr const char* RESET_RULE =
    "html, body, div, span, h1, h2, h3, h4, p, pre, a, em, strong, img, ol, ul, li, form, "
    "fieldset, table, tbody, tr, td {margin: 0; padding: 0; border: 0; }\n";

template <std::size_t N>
const char* Pick(const char* const (&table)[N], unsigned i) {
  return i < N ? table[i] : "?";
}

}  // namespace

std::string CSS::Color::ToString() const {
  if (named_) return Pick(COLOR_NAMES, c_);
  char text[8];
  std::snprintf(text, sizeof(text), "#%02x%02x%02x", r_, g_, b_);
  return text;
}

const char* CSS::FontSize::ToString() const {
  return free_ != nullptr ? free_ : Pick(FONT_SIZE_NAMES, s_);
}

CSS::~CSS() { End(); }

bool CSS::Begin(const char* FileName) {
  fill_ = 0;
  in_memory_ = false;
  close();
  return open(FileSystem::PRIMARY, FileName,
              FileSystem::WRITE_ONLY | FileSystem::CREATE | FileSystem::TRUNCATE);
}

void CSS::BeginText() {
  fill_ = 0;
  close();
  in_memory_ = true;
  text_.clear();
}

bool CSS::End() {
  const bool flushed = Flush();
  if (in_memory_) return flushed;
  return close() && flushed;
}

bool CSS::Flush() {
  const unsigned buffered = fill_;
  fill_ = 0;
  if (in_memory_) {
    text_.append(buffer_, buffered);
    return true;
  }
  for (unsigned done = 0; done < buffered;) {
    unsigned n = buffered - done;
    if (!write(buffer_ + done, n)) return false;
    if (n == 0) return Error::SetWithContext(Error::IO_WRITE_ERROR, "CSS::Flush");
    done += n;
  }
  return true;
}

bool CSS::Write(const char* s) {
  if (s == nullptr) return true;
  for (std::size_t length = std::strlen(s); length > 0;) {
    if (fill_ == BUFFER_SIZE && !Flush()) return false;
    const std::size_t n = std::min<std::size_t>(length, BUFFER_SIZE - fill_);
    std::memcpy(buffer_ + fill_, s, n);
    fill_ += static_cast<unsigned>(n);
    s += n;
    length -= n;
  }
  return true;
}

bool CSS::ElementSelector(Element e) { return Write(e.ToString()); }
bool CSS::IDSelector(const char* Id) { return Write("#") && Write(Id); }
bool CSS::ClassSelector(const char* Class) { return Write(".") && Write(Class); }

bool CSS::AttributeSelector(Attribute a, const char* Value) {
  return Write("[") && Write(a.ToString()) && (Value == nullptr || (Write("=") && Write(Value))) &&
         Write("]");
}

bool CSS::BeginDefinition() { return Write(" {"); }
bool CSS::EndDefinition() { return Write("}\n"); }

bool CSS::Declare(Property p, const char* Value) {
  return Write(p.ToString()) && Write(": ") && Write(Value) && Write("; ");
}

bool CSS::AddProperty(Property p, const char* Format, ...) {
  char value[BUFFER_SIZE];
  va_list args;
  va_start(args, Format);
  std::vsnprintf(value, sizeof(value), Format != nullptr ? Format : "", args);
  va_end(args);
  return Declare(p, value);
}

bool CSS::Bold() { return Declare(Property::FONT_WEIGHT, "bold"); }
bool CSS::Italic() { return Declare(Property::FONT_STYLE, "italic"); }
bool CSS::Size(FontSize s) { return Declare(Property::FONT_SIZE, s.ToString()); }
bool CSS::FontFamily(const char* Families) { return Declare(Property::FONT_FAMILY, Families); }

bool CSS::FontFace(FontSize s, const char* Families) {
  return AddProperty(Property::FONT, "%s %s", s.ToString(), Families);
}

bool CSS::TextJustification(Justifications j) {
  return Declare(Property::TEXT_ALIGN, Pick(TEXT_ALIGN, j));
}

bool CSS::TableJustification(Justifications j) {
  const SideMargins& m = TABLE_MARGINS[j <= CENTER ? j : LEFT];
  return Declare(Property::MARGIN_LEFT, m.Left) && Declare(Property::MARGIN_RIGHT, m.Right);
}

bool CSS::ImageJustification(Justifications j) { return Write(Pick(IMAGE_PLACEMENT, j)); }
bool CSS::BackgroundColor(Color c) {
  return Declare(Property::BACKGROUND_COLOR, c.ToString().c_str());
}
bool CSS::ForegroundColor(Color c) { return Declare(Property::COLOR, c.ToString().c_str()); }
bool CSS::NoTextDecoration() { return Declare(Property::TEXT_DECORATION, "none"); }

bool CSS::TableWithAlternateColors(const char* Class, Color Even, Color Odd) {
  static constexpr const char* PARITY[] = {"even", "odd"};
  const Color colors[] = {Even, Odd};
  for (unsigned i = 0; i < 2; ++i) {
    if (!ElementSelector(Element::TABLE) || (Class != nullptr && !ClassSelector(Class)) ||
        !Write(" tr:nth-child(") || !Write(PARITY[i]) || !Write(")") || !BeginDefinition() ||
        !BackgroundColor(colors[i]) || !EndDefinition()) {
      return false;
    }
  }
  return true;
}

bool CSS::BeginLinksStyle(const char* Class) {
  const auto links = [&](const char* state) {
    return (Class == nullptr || (ClassSelector(Class) && Write(" "))) &&
           ElementSelector(Element::A) && Write(state);
  };
  return links(":link") && Write(", ") && links(":visited") && BeginDefinition();
}

bool CSS::EndLinksStyle() { return EndDefinition(); }
bool CSS::Reset() { return Write(RESET_RULE); }

}  // namespace VXB::HTML
