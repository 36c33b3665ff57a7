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
#include <initializer_list>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "vxb/common/base/types.h"
#include "vxb/common/io/encoded_string_writer.h"
#include "vxb/common/runtime/file.h"

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
  // A style sheet written whole into the head of the pages begun from now
  // on (after the one SetStyle names); empty for none. A sheet holding
  // "</" makes Begin fail (IO_PARAM_ERROR) before it writes anything.
  void SetStyleText(std::string Sheet) { style_text_ = std::move(Sheet); }
  void WillUseFrames() { frames_ = true; }
  void AddJavaScript(const char* Name, const char* Script);
  void RemoveJavaScript(const char* Name);
  unsigned ScriptCount() const { return static_cast<unsigned>(scripts_.size()); }
  bool Begin(const char* TitleFormat, ...) VXB_PRINTF_FORMAT(2, 3);
  bool End();

  // Common blocks. A Class or Id given as null writes no such attribute;
  // every attribute value and every text is entity-encoded.
  bool BeginPreformattedText(const char* Class = nullptr);
  bool EndPreformattedText();
  // Code written unchanged inside a script element: it is markup, never
  // data. Code holding a script end tag is refused (IO_PARAM_ERROR) and
  // nothing is written.
  bool Script(const char* Code);
  // Levels 1 to 4; any other level is written as level 1.
  bool Header(unsigned Level, const char* Format, ...) VXB_PRINTF_FORMAT(3, 4);
  bool vHeader(unsigned Level, const char* Format, va_list Args);
  bool Paragraph(const char* Format, ...) VXB_PRINTF_FORMAT(2, 3);
  bool vParagraph(const char* Format, va_list Args);
  bool BeginParagraph(const char* Class = nullptr);
  bool EndParagraph();
  bool BeginTable(const char* Class = nullptr);
  bool EndTable();
  bool BeginTableRow();
  bool EndTableRow();
  bool BeginTableCol();
  bool EndTableCol();
  // An image; a null Alt writes an empty alt text (images always carry one).
  bool Image(const char* Src, const char* Alt, const char* Class = nullptr);
  bool BeginLink(const char* Href);
  bool EndLink();
  // An inline frame; after WillUseFrames() it resizes itself to its content.
  bool Frame(const char* Src, const char* Class = nullptr);
  // A span whose Tip shows when the pointer rests on its content.
  bool BeginToolTip(const char* Tip, const char* Class = nullptr);
  bool EndToolTip();
  bool BeginDiv(const char* Class = nullptr);
  bool BeginDiv(const char* Class, const char* Id);
  bool EndDiv();
  bool BeginUnorderedList(const char* Class = nullptr);
  bool EndUnorderedList();
  bool BeginOrderedList(const char* Class = nullptr);
  bool EndOrderedList();
  bool BeginListItem(const char* Class = nullptr);
  bool EndListItem();
  bool BeginEmphasys(const char* Class = nullptr);
  bool EndEmphasys();
  bool BeginStrong(const char* Class = nullptr);
  bool EndStrong();
  bool Span(const char* Class, const char* Format, ...) VXB_PRINTF_FORMAT(3, 4);
  bool vSpan(const char* Class, const char* Format, va_list Args);
  bool BeginSpan(const char* Class = nullptr);
  bool EndSpan();
  // A named place in the page that links reach with "#Name".
  bool BeginAnchor(const char* Name);
  bool EndAnchor();
  bool Break();
  bool HorizontalRule();

  // Forms. A form is always sent with POST; Multipart selects the encoding
  // that carries files. A null Name or Value writes no such attribute.
  bool BeginForm(const char* Action, const char* Name = nullptr, bool Multipart = false);
  bool EndForm();
  // The name of the form being written; null outside a form or when unnamed.
  const char* FormName() const { return form_name_.empty() ? nullptr : form_name_.c_str(); }
  // A one-line text field; Size 0 writes no size, a null Format no value.
  bool TextBox(const char* Name, unsigned Size, const char* Format, ...) VXB_PRINTF_FORMAT(4, 5);
  bool vTextBox(const char* Name, unsigned Size, const char* Format, va_list Args);
  bool TextArea(const char* Name, unsigned Rows, unsigned Cols, const char* Format, ...)
      VXB_PRINTF_FORMAT(5, 6);
  bool vTextArea(const char* Name, unsigned Rows, unsigned Cols, const char* Format, va_list Args);
  // A button that sends the form (Submit) or does nothing by itself.
  bool Button(const char* Name, const char* Label, bool Submit = true);
  // A button that runs the script Code when pressed.
  bool ButtonWithCode(const char* Label, const char* Code);
  // A hidden field sent with the form.
  bool Variable(const char* Name, const char* Format, ...) VXB_PRINTF_FORMAT(3, 4);
  bool vVariable(const char* Name, const char* Format, va_list Args);
  bool Radio(const char* Name, const char* Value, bool Checked);
  bool Check(const char* Name, const char* Value, bool Checked);
  // A drop-down list; the chosen option's text is sent. Selected beyond the
  // options selects none.
  bool Combo(const char* Name, std::span<const char* const> Options, unsigned Selected);
  bool FileInput(const char* Name);

  // The classes joined by blanks, for a Class argument. Kept in the
  // writer's own buffer until the next call; null entries are skipped and
  // classes that do not fit in BUFFER_SIZE - 1 bytes are left out.
  const char* MultipleClasses(std::initializer_list<const char*> Classes);

 private:
  bool Markup(const char* s);
  bool Encoded(const char* s);
  bool BeginWithClass(Element e, const char* Class, const char* Id = nullptr);
  bool Optional(Attribute a, const char* Value);
  bool Enclosed(Element e, const char* Class, const std::string& Text);
  bool InputBegin(const char* Type, const char* Name, const char* Value);

  struct ScriptData {
    std::string Name;
    std::string Script;
  };

  Driver::EncodedStringWriter* target_;
  std::vector<ScriptData> scripts_;
  std::string fav_icon_;
  std::string style_sheet_;
  bool external_style_ = false;
  std::string style_text_;
  bool frames_ = false;
  std::string form_name_;
  char class_buffer_[BUFFER_SIZE] = "";
};

// A style-sheet file written rule by rule: selectors, a definition holding
// properties, its end. Output is kept in a buffer of BUFFER_SIZE bytes and
// written to the file when the buffer fills, on Flush() and on End(). Every
// operation returns false when the file refused a write (the error is in
// the thread's error record). Values are written as given: the sheet is
// the program's own text, not data taken from a request.
//
// Thread safety: one thread per builder.
class CSS : public File {
 public:
  static constexpr unsigned BUFFER_SIZE = 1024;

  enum Justifications : unsigned { LEFT, RIGHT, CENTER };

  // A named colour or one given by its red, green and blue bytes.
  class Color {
   public:
    enum Colors : unsigned {
      AQUA,
      BLACK,
      BLUE,
      FUCHSIA,
      GRAY,
      GREEN,
      LIME,
      MAROON,
      NAVY,
      OLIVE,
      PURPLE,
      RED,
      SILVER,
      TEAL,
      WHITE,
      YELLOW,
    };
    constexpr Color(Colors c) : named_(true), c_(c) {}  // NOLINT: used as a value
    constexpr Color(Byte R, Byte G, Byte B) : r_(R), g_(G), b_(B) {}
    // The colour's name, or "#rrggbb"; "?" for a name outside the list.
    std::string ToString() const;

   private:
    bool named_ = false;
    Colors c_ = BLACK;
    Byte r_ = 0, g_ = 0, b_ = 0;
  };

  // One of the browser's size steps or a free size such as "12pt".
  class FontSize {
   public:
    enum Sizes : unsigned { TINY, SMALL, NORMAL, BIG, EXTRABIG };
    constexpr FontSize(Sizes s) : s_(s) {}                 // NOLINT: used as a value
    constexpr FontSize(const char* Free) : free_(Free) {}  // NOLINT: used as a value
    const char* ToString() const;

   private:
    Sizes s_ = NORMAL;
    const char* free_ = nullptr;
  };

  CSS() = default;
  ~CSS();

  // Creates (or empties) the file on the primary file system.
  bool Begin(const char* FileName);
  // Builds the sheet in memory instead: Text() holds what Flush() or End()
  // wrote out of the buffer.
  void BeginText();
  const std::string& Text() const { return text_; }
  // Writes what is buffered; then closes the file.
  bool End();
  bool Flush();

  // Selectors, written one after the other ("table.list", "#main").
  bool ElementSelector(Element e);
  bool IDSelector(const char* Id);
  bool ClassSelector(const char* Class);
  // "[name]" or, with a Value, "[name=value]".
  bool AttributeSelector(Attribute a, const char* Value = nullptr);
  bool BeginDefinition();
  bool EndDefinition();
  bool AddProperty(Property p, const char* Format, ...) VXB_PRINTF_FORMAT(3, 4);

  // Shorthands inside a definition.
  bool Bold();
  bool Italic();
  bool Size(FontSize s);
  bool FontFamily(const char* Families);
  // The font shorthand: size and family.
  bool FontFace(FontSize s, const char* Families);
  bool TextJustification(Justifications j);
  // Places a table by its side margins.
  bool TableJustification(Justifications j);
  bool ImageJustification(Justifications j);
  bool BackgroundColor(Color c);
  bool ForegroundColor(Color c);
  bool NoTextDecoration();

  // Whole rules.
  // Rows of the tables of Class (all tables when null) in two colours.
  bool TableWithAlternateColors(const char* Class, Color Even, Color Odd);
  // Opens the definition of links, unvisited and visited, inside elements
  // of Class (all links when null); EndLinksStyle closes it.
  bool BeginLinksStyle(const char* Class = nullptr);
  bool EndLinksStyle();
  // Margins, padding and borders of the common elements set to zero.
  bool Reset();

 private:
  bool Write(const char* s);
  bool Write(const std::string& s) { return Write(s.c_str()); }
  bool Declare(Property p, const char* Value);

  char buffer_[BUFFER_SIZE];
  unsigned fill_ = 0;
  bool in_memory_ = false;
  std::string text_;
};

}  // namespace VXB::HTML

#endif  // VXB_COMMON_HTML_H_
