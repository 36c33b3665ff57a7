// An HTML 4.01 page written as a stream of markup and text into an encoded
// string writer (not owned), so that a page is never built in memory.
//
// Markup is written as it is; text and attribute values go through the
// writer's character conversion with HTML entity encoding, so nothing taken
// from a request can open an element or leave an attribute. Every operation
// returns false at the first write the target refused.
//
// Thread safety: one thread per writer.
#ifndef VXB_COMMON_HTML_H_
#define VXB_COMMON_HTML_H_

#include <cstdarg>
#include <string>
#include <vector>

#include "vxb/common/base/types.h"
#include "vxb/common/io/encoded_string_writer.h"

namespace VXB::HTML {

class Element {
 public:
  enum Elements : unsigned {
    A,
    BODY,
    BR,
    DIV,
    EM,
    FIELDSET,
    FORM,
    HEAD,
    HR,
    H1,
    H2,
    H3,
    H4,
    HTML,
    IFRAME,
    IMG,
    INPUT,
    LI,
    LINK,
    META,
    OL,
    OPTION,
    P,
    PRE,
    SCRIPT,
    SELECT,
    SPAN,
    STRONG,
    STYLE,
    TABLE,
    TBODY,
    TD,
    TEXTAREA,
    TITLE,
    TR,
    UL,
  };
  constexpr Element(Elements e) : e_(e) {}  // NOLINT: used as a value
  const char* ToString() const;

 private:
  Elements e_;
};

class Attribute {
 public:
  enum Attributes : unsigned {
    ACTION,
    ALT,
    BORDER,
    CELLPADDING,
    CELLSPACING,
    CHECKED,
    CLASS,
    COLS,
    COLSPAN,
    CONTENT,
    ENCTYPE,
    HREF,
    HTTP_EQUIV,
    ID,
    LANGUAGE,
    METHOD,
    NAME,
    ONCLICK,
    ONLOAD,
    ONSUBMIT,
    REL,
    ROWS,
    ROWSPAN,
    SRC,
    SELECTED,
    SIZE,
    STYLE,
    TITLE,
    TYPE,
    VALUE,
  };
  constexpr Attribute(Attributes a) : a_(a) {}  // NOLINT: used as a value
  const char* ToString() const;

 private:
  Attributes a_;
};

class Property {
 public:
  enum Properties : unsigned {
    BACKGROUND,
    BACKGROUND_COLOR,
    BACKGROUND_IMAGE,
    BACKGROUND_POSITION,
    BACKGROUND_REPEAT,
    BORDER,
    BORDER_COLOR,
    BORDER_TOP,
    BORDER_TOP_LEFT_RADIUS,
    BORDER_TOP_RIGHT_RADIUS,
    BORDER_RADIUS,
    BORDER_SPACING,
    BORDER_STYLE,
    BORDER_WIDTH,
    CLEAR,
    COLOR,
    CONTENT,
    DISPLAY,
    FLOAT,
    FONT,
    FONT_FAMILY,
    FONT_SIZE,
    FONT_STYLE,
    FONT_WEIGHT,
    HEIGHT,
    LINE_HEIGHT,
    LIST_STYLE,
    MARGIN,
    MARGIN_LEFT,
    MARGIN_TOP,
    MARGIN_RIGHT,
    OVERFLOW,
    PADDING,
    PAGE_BREAK_AFTER,
    PAGE_BREAK_INSIDE,
    POSITION,
    TEXT_ALIGN,
    TEXT_DECORATION,
    VERTICAL_ALIGN,
    VISIBILITY,
    WHITE_SPACE,
    WIDTH,
  };
  constexpr Property(Properties p) : p_(p) {}  // NOLINT: used as a value
  const char* ToString() const;

 private:
  Properties p_;
};

class Writer {
 public:
  static constexpr unsigned MAX_ICON = 50;
  static constexpr unsigned MAX_STYLE_NAME = 50;
  static constexpr unsigned BUFFER_SIZE = 1024;

  explicit Writer(Driver::EncodedStringWriter* Target = nullptr) : target_(Target) {}
  void SetTarget(Driver::EncodedStringWriter* Target) { target_ = Target; }
  Driver::EncodedStringWriter* GetTarget() const { return target_; }

  // Markup primitives.
  bool AddElementBegin(Element e);
  // A blank, the name, '=' and the formatted value in double quotes,
  // entity-encoded; a null format writes only the name.
  bool AddAttribute(Attribute a, const char* Format, ...) VXB_PRINTF_FORMAT(3, 4);
  bool AddAttributeBegin(Attribute a);
  bool AddAttributeEnd();
  bool AddProperty(Property p, const char* Format, ...) VXB_PRINTF_FORMAT(3, 4);
  bool AddElementEnd();
  bool AddElement(Element e);
  // The formatted text between angle brackets, as markup.
  bool AddElement(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  bool CloseElement(Element e);
  bool Unicode(unsigned n);

  // Text, converted and entity-encoded.
  bool Text(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  bool vText(const char* Format, va_list Args);

  // Page frame.
  void SetFavIcon(const char* Name);
  void SetStyle(const char* Name, bool External);
  void WillUseFrames() { frames_ = true; }
  void AddJavaScript(const char* Name, const char* Script);
  void RemoveJavaScript(const char* Name);
  unsigned ScriptCount() const { return static_cast<unsigned>(scripts_.size()); }
  bool Begin(const char* TitleFormat, ...) VXB_PRINTF_FORMAT(2, 3);
  bool End();

  // Common blocks.
  bool BeginPreformattedText(const char* Class = nullptr);
  bool EndPreformattedText();
  bool Header(unsigned Level, const char* Format, ...) VXB_PRINTF_FORMAT(3, 4);
  bool Paragraph(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  bool BeginTable(const char* Class = nullptr);
  bool EndTable();
  bool BeginTableRow();
  bool EndTableRow();
  bool BeginTableCol();
  bool EndTableCol();
  bool BeginLink(const char* Href);
  bool EndLink();
  bool BeginDiv(const char* Class = nullptr);
  bool EndDiv();
  bool Break();
  bool HorizontalRule();

 private:
  bool Markup(const char* s);
  bool Encoded(const char* s);
  bool BeginWithClass(Element e, const char* Class);

  struct ScriptData {
    std::string Name;
    std::string Script;
  };

  Driver::EncodedStringWriter* target_;
  std::vector<ScriptData> scripts_;
  std::string fav_icon_;
  std::string style_sheet_;
  bool external_style_ = false;
  bool frames_ = false;
};

}  // namespace VXB::HTML

#endif  // VXB_COMMON_HTML_H_
