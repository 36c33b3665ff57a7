#include "vxb/common/format/html.h"

#include <cstdio>
#include <cstring>
#include <string_view>

#include "vxb/common/base/ascii.h"
#include "vxb/common/runtime/error.h"
#include "vxb/common/runtime/file.h"

namespace VXB::HTML {

namespace {

constexpr const char* ELEMENT_NAMES[] = {
    "a",      "body",  "br",    "div",    "em",   "fieldset", "form",   "head",   "hr",
    "h1",     "h2",    "h3",    "h4",     "html", "iframe",   "img",    "input",  "li",
    "link",   "meta",  "ol",    "option", "p",    "pre",      "script", "select", "span",
    "strong", "style", "table", "tbody",  "td",   "textarea", "title",  "tr",     "ul",
};

constexpr const char* ATTRIBUTE_NAMES[] = {
    "action",   "alt",     "border",  "cellpadding", "cellspacing", "checked", "class",    "cols",
    "colspan",  "content", "enctype", "href",        "http-equiv",  "id",      "language", "method",
    "name",     "onclick", "onload",  "onsubmit",    "rel",         "rows",    "rowspan",  "src",
    "selected", "size",    "style",   "title",       "type",        "value",
};

constexpr const char* PROPERTY_NAMES[] = {
    "background",
    "background-color",
    "background-image",
    "background-position",
    "background-repeat",
    "border",
    "border-color",
    "border-top",
    "border-top-left-radius",
    "border-top-right-radius",
    "border-radius",
    "border-spacing",
    "border-style",
    "border-width",
    "clear",
    "color",
    "content",
    "display",
    "float",
    "font",
    "font-family",
    "font-size",
    "font-style",
    "font-weight",
    "height",
    "line-height",
    "list-style",
    "margin",
    "margin-left",
    "margin-top",
    "margin-right",
    "overflow",
    "padding",
    "page-break-after",
    "page-break-inside",
    "position",
    "text-align",
    "text-decoration",
    "vertical-align",
    "visibility",
    "white-space",
    "width",
};

template <std::size_t N>
const char* Name(const char* const (&table)[N], unsigned i) {
  return i < N ? table[i] : "?";
}

constexpr const char* FRAME_SCRIPT =
    "function resizeIframe(obj) { obj.style.height = "
    "obj.contentWindow.document.body.scrollHeight + 'px'; }";

// The formatted text, cut to the buffer; a null format gives the empty text.
std::string Format(const char* format, va_list args) {
  if (format == nullptr) return std::string();
  char buffer[Writer::BUFFER_SIZE * 10];
  std::vsnprintf(buffer, sizeof(buffer), format, args);
  return buffer;
}

const char* OrEmpty(const char* s) { return s != nullptr ? s : ""; }

// Whether the code holds an end tag of its script element, which would let
// what follows it escape into the page.
bool EndsScript(std::string_view code) {
  for (std::size_t at = code.find("</"); at != std::string_view::npos;
       at = code.find("</", at + 2)) {
    if (ASCII::EqualsIgnoringCase(code.substr(at + 2, 6), "script")) return true;
  }
  return false;
}

}  // namespace

const char* Element::ToString() const { return Name(ELEMENT_NAMES, e_); }
const char* Attribute::ToString() const { return Name(ATTRIBUTE_NAMES, a_); }
const char* Property::ToString() const { return Name(PROPERTY_NAMES, p_); }

bool Writer::Markup(const char* s) {
  if (target_ == nullptr) return false;
  const ASCII::Entities saved = target_->GetEntities();
  target_->SetEntities(ASCII::NO_ENTITIES);
  const bool ok = target_->Print(s);
  target_->SetEntities(saved);
  return ok;
}

bool Writer::Encoded(const char* s) {
  if (target_ == nullptr) return false;
  const ASCII::Entities saved = target_->GetEntities();
  const bool converting = target_->Convert(true);
  target_->SetEntities(ASCII::HTML_ENTITIES);
  const bool ok = target_->Print(s);
  target_->SetEntities(saved);
  target_->Convert(converting);
  return ok;
}

bool Writer::AddElementBegin(Element e) { return Markup("<") && Markup(e.ToString()); }

bool Writer::AddAttribute(Attribute a, const char* Format_, ...) {
  if (!Markup(" ") || !Markup(a.ToString())) return false;
  if (Format_ == nullptr) return true;
  va_list args;
  va_start(args, Format_);
  const std::string value = Format(Format_, args);
  va_end(args);
  return Markup("=\"") && Encoded(value.c_str()) && Markup("\"");
}

bool Writer::AddAttributeBegin(Attribute a) {
  return Markup(" ") && Markup(a.ToString()) && Markup("=\"");
}

bool Writer::AddAttributeEnd() { return Markup("\""); }

bool Writer::AddProperty(Property p, const char* Format_, ...) {
  va_list args;
  va_start(args, Format_);
  const std::string value = Format(Format_, args);
  va_end(args);
  return Markup(p.ToString()) && Markup(": ") && Encoded(value.c_str()) && Markup("; ");
}

bool Writer::AddElementEnd() { return Markup(">"); }

bool Writer::AddElement(Element e) { return AddElementBegin(e) && AddElementEnd(); }

bool Writer::AddElement(const char* Format_, ...) {
  va_list args;
  va_start(args, Format_);
  const std::string text = Format(Format_, args);
  va_end(args);
  return Markup("<") && Markup(text.c_str()) && Markup(">");
}

bool Writer::CloseElement(Element e) { return Markup("</") && Markup(e.ToString()) && Markup(">"); }

bool Writer::Unicode(unsigned n) {
  char buffer[24];
  std::snprintf(buffer, sizeof(buffer), "&#%u;", n);
  return Markup(buffer);
}

bool Writer::Text(const char* Format_, ...) {
  va_list args;
  va_start(args, Format_);
  const bool ok = vText(Format_, args);
  va_end(args);
  return ok;
}

bool Writer::vText(const char* Format_, va_list Args) {
  const std::string text = Format(Format_, Args);
  return Encoded(text.c_str());
}

void Writer::SetFavIcon(const char* Name_) {
  fav_icon_ = std::string(Name_ != nullptr ? Name_ : "").substr(0, MAX_ICON);
}

void Writer::SetStyle(const char* Name_, bool External) {
  style_sheet_ = std::string(Name_ != nullptr ? Name_ : "").substr(0, MAX_STYLE_NAME);
  external_style_ = External;
}

void Writer::AddJavaScript(const char* Name_, const char* Script) {
  for (ScriptData& s : scripts_) {
    if (s.Name == Name_) {
      s.Script = Script;
      return;
    }
  }
  scripts_.push_back({Name_, Script});
}

void Writer::RemoveJavaScript(const char* Name_) {
  std::erase_if(scripts_, [&](const ScriptData& s) { return s.Name == Name_; });
}

bool Writer::Begin(const char* TitleFormat, ...) {
  if (target_ == nullptr) return false;
  if (style_text_.find("</") != std::string::npos)
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "HTML::Writer::Begin");
  const char* charset = "ISO-8859-1";
  if (target_->GetCharsetTo() == ASCII::UTF8) {
    charset = "UTF-8";
  } else if (target_->GetCharsetTo() != ASCII::LATIN1) {
    target_->SetCharsetTo(ASCII::LATIN1);
  }
  if (!AddElement("!DOCTYPE HTML PUBLIC \"-//W3C//DTD HTML 4.01//EN\" "
                  "\"http://www.w3.org/TR/html4/strict.dtd\"") ||
      !AddElement(Element::HTML) || !AddElement(Element::HEAD) || !AddElementBegin(Element::META) ||
      !AddAttribute(Attribute::CONTENT, "text/html; charset=%s", charset) ||
      !AddAttribute(Attribute::HTTP_EQUIV, "Content-Type") || !AddElementEnd() ||
      !AddElement(Element::TITLE)) {
    return false;
  }
  va_list args;
  va_start(args, TitleFormat);
  const bool title_ok = vText(TitleFormat, args);
  va_end(args);
  if (!title_ok || !CloseElement(Element::TITLE)) return false;
  if (!fav_icon_.empty() &&
      (!AddElementBegin(Element::LINK) || !AddAttribute(Attribute::REL, "shortcut icon") ||
       !AddAttribute(Attribute::HREF, "%s", fav_icon_.c_str()) || !AddElementEnd())) {
    return false;
  }
  if (!style_sheet_.empty()) {
    if (external_style_) {
      if (!AddElementBegin(Element::LINK) || !AddAttribute(Attribute::REL, "stylesheet") ||
          !AddAttribute(Attribute::TYPE, "text/css") ||
          !AddAttribute(Attribute::HREF, "%s", style_sheet_.c_str()) || !AddElementEnd()) {
        return false;
      }
    } else {
      if (!AddElementBegin(Element::STYLE) || !AddAttribute(Attribute::TYPE, "text/css") ||
          !AddElementEnd()) {
        return false;
      }
      File file;
      if (file.open(FileSystem::PRIMARY, style_sheet_.c_str(), FileSystem::READ_ONLY)) {
        char buffer[BUFFER_SIZE + 1];
        for (;;) {
          unsigned n = BUFFER_SIZE;
          if (!file.read(buffer, n) || n == 0) break;
          buffer[n] = 0;
          if (!Markup(buffer)) return false;
        }
      }
      if (!CloseElement(Element::STYLE)) return false;
    }
  }
  if (!style_text_.empty() &&
      (!AddElementBegin(Element::STYLE) || !AddAttribute(Attribute::TYPE, "text/css") ||
       !AddElementEnd() || !Markup(style_text_.c_str()) || !CloseElement(Element::STYLE))) {
    return false;
  }
  if (frames_) AddJavaScript("frame_code", FRAME_SCRIPT);
  for (const ScriptData& s : scripts_) {
    if (!AddElementBegin(Element::SCRIPT) || !AddAttribute(Attribute::LANGUAGE, "javascript") ||
        !AddAttribute(Attribute::TYPE, "text/javascript") || !AddElementEnd() ||
        !Markup(s.Script.c_str()) || !CloseElement(Element::SCRIPT)) {
      return false;
    }
  }
  return CloseElement(Element::HEAD) && AddElement(Element::BODY);
}

bool Writer::End() {
  return CloseElement(Element::BODY) && CloseElement(Element::HTML) &&
         target_->Flush(Constants::WAIT_FOREVER);
}

bool Writer::Optional(Attribute a, const char* Value) {
  return Value == nullptr || AddAttribute(a, "%s", Value);
}

bool Writer::BeginWithClass(Element e, const char* Class, const char* Id) {
  return AddElementBegin(e) && Optional(Attribute::CLASS, Class) && Optional(Attribute::ID, Id) &&
         AddElementEnd();
}

bool Writer::Enclosed(Element e, const char* Class, const std::string& Text_) {
  return BeginWithClass(e, Class) && Encoded(Text_.c_str()) && CloseElement(e);
}

bool Writer::BeginPreformattedText(const char* Class) {
  return BeginWithClass(Element::PRE, Class);
}
bool Writer::EndPreformattedText() { return CloseElement(Element::PRE); }

bool Writer::Script(const char* Code) {
  if (Code != nullptr && EndsScript(Code)) {
    return Error::SetWithContext(Error::IO_PARAM_ERROR, "HTML::Writer::Script");
  }
  return AddElementBegin(Element::SCRIPT) && AddAttribute(Attribute::TYPE, "text/javascript") &&
         AddElementEnd() && Markup(Code != nullptr ? Code : "") && CloseElement(Element::SCRIPT);
}

bool Writer::Header(unsigned Level, const char* Format_, ...) {
  va_list args;
  va_start(args, Format_);
  const bool ok = vHeader(Level, Format_, args);
  va_end(args);
  return ok;
}

bool Writer::vHeader(unsigned Level, const char* Format_, va_list Args) {
  static constexpr Element::Elements LEVELS[] = {Element::H1, Element::H2, Element::H3,
                                                 Element::H4};
  const Element e = LEVELS[Level >= 1 && Level <= 4 ? Level - 1 : 0];
  return Enclosed(e, nullptr, Format(Format_, Args));
}

bool Writer::Paragraph(const char* Format_, ...) {
  va_list args;
  va_start(args, Format_);
  const bool ok = vParagraph(Format_, args);
  va_end(args);
  return ok;
}

bool Writer::vParagraph(const char* Format_, va_list Args) {
  return Enclosed(Element::P, nullptr, Format(Format_, Args));
}

bool Writer::BeginParagraph(const char* Class) { return BeginWithClass(Element::P, Class); }
bool Writer::EndParagraph() { return CloseElement(Element::P); }
bool Writer::BeginTable(const char* Class) { return BeginWithClass(Element::TABLE, Class); }
bool Writer::EndTable() { return CloseElement(Element::TABLE); }
bool Writer::BeginTableRow() { return AddElement(Element::TR); }
bool Writer::EndTableRow() { return CloseElement(Element::TR); }
bool Writer::BeginTableCol() { return AddElement(Element::TD); }
bool Writer::EndTableCol() { return CloseElement(Element::TD); }

bool Writer::Image(const char* Src, const char* Alt, const char* Class) {
  return AddElementBegin(Element::IMG) && AddAttribute(Attribute::SRC, "%s", OrEmpty(Src)) &&
         AddAttribute(Attribute::ALT, "%s", Alt != nullptr ? Alt : "") &&
         Optional(Attribute::CLASS, Class) && AddElementEnd();
}

bool Writer::BeginLink(const char* Href) {
  return AddElementBegin(Element::A) && AddAttribute(Attribute::HREF, "%s", OrEmpty(Href)) &&
         AddElementEnd();
}

bool Writer::EndLink() { return CloseElement(Element::A); }

bool Writer::Frame(const char* Src, const char* Class) {
  return AddElementBegin(Element::IFRAME) && AddAttribute(Attribute::SRC, "%s", OrEmpty(Src)) &&
         Optional(Attribute::CLASS, Class) &&
         (!frames_ || AddAttribute(Attribute::ONLOAD, "resizeIframe(this)")) && AddElementEnd() &&
         CloseElement(Element::IFRAME);
}

bool Writer::BeginToolTip(const char* Tip, const char* Class) {
  return AddElementBegin(Element::SPAN) && Optional(Attribute::CLASS, Class) &&
         AddAttribute(Attribute::TITLE, "%s", OrEmpty(Tip)) && AddElementEnd();
}

bool Writer::EndToolTip() { return CloseElement(Element::SPAN); }
bool Writer::BeginDiv(const char* Class) { return BeginWithClass(Element::DIV, Class); }
bool Writer::BeginDiv(const char* Class, const char* Id) {
  return BeginWithClass(Element::DIV, Class, Id);
}
bool Writer::EndDiv() { return CloseElement(Element::DIV); }
bool Writer::BeginUnorderedList(const char* Class) { return BeginWithClass(Element::UL, Class); }
bool Writer::EndUnorderedList() { return CloseElement(Element::UL); }
bool Writer::BeginOrderedList(const char* Class) { return BeginWithClass(Element::OL, Class); }
bool Writer::EndOrderedList() { return CloseElement(Element::OL); }
bool Writer::BeginListItem(const char* Class) { return BeginWithClass(Element::LI, Class); }
bool Writer::EndListItem() { return CloseElement(Element::LI); }
bool Writer::BeginEmphasys(const char* Class) { return BeginWithClass(Element::EM, Class); }
bool Writer::EndEmphasys() { return CloseElement(Element::EM); }
bool Writer::BeginStrong(const char* Class) { return BeginWithClass(Element::STRONG, Class); }
bool Writer::EndStrong() { return CloseElement(Element::STRONG); }

bool Writer::Span(const char* Class, const char* Format_, ...) {
  va_list args;
  va_start(args, Format_);
  const bool ok = vSpan(Class, Format_, args);
  va_end(args);
  return ok;
}

bool Writer::vSpan(const char* Class, const char* Format_, va_list Args) {
  return Enclosed(Element::SPAN, Class, Format(Format_, Args));
}

bool Writer::BeginSpan(const char* Class) { return BeginWithClass(Element::SPAN, Class); }
bool Writer::EndSpan() { return CloseElement(Element::SPAN); }

bool Writer::BeginAnchor(const char* Name_) {
  return AddElementBegin(Element::A) && AddAttribute(Attribute::NAME, "%s", OrEmpty(Name_)) &&
         AddElementEnd();
}

bool Writer::EndAnchor() { return CloseElement(Element::A); }
bool Writer::Break() { return AddElement(Element::BR); }
bool Writer::HorizontalRule() { return AddElement(Element::HR); }

bool Writer::BeginForm(const char* Action, const char* Name_, bool Multipart) {
  form_name_ = Name_ != nullptr ? Name_ : "";
  return AddElementBegin(Element::FORM) && AddAttribute(Attribute::ACTION, "%s", OrEmpty(Action)) &&
         AddAttribute(Attribute::METHOD, "post") &&
         (!Multipart || AddAttribute(Attribute::ENCTYPE, "multipart/form-data")) &&
         Optional(Attribute::NAME, Name_) && AddElementEnd();
}

bool Writer::EndForm() {
  form_name_.clear();
  return CloseElement(Element::FORM);
}

bool Writer::InputBegin(const char* Type, const char* Name_, const char* Value) {
  return AddElementBegin(Element::INPUT) && AddAttribute(Attribute::TYPE, "%s", Type) &&
         Optional(Attribute::NAME, Name_) && Optional(Attribute::VALUE, Value);
}

bool Writer::TextBox(const char* Name_, unsigned Size, const char* Format_, ...) {
  va_list args;
  va_start(args, Format_);
  const bool ok = vTextBox(Name_, Size, Format_, args);
  va_end(args);
  return ok;
}

bool Writer::vTextBox(const char* Name_, unsigned Size, const char* Format_, va_list Args) {
  const std::string value = Format_ != nullptr ? Format(Format_, Args) : std::string();
  return InputBegin("text", Name_, Format_ != nullptr ? value.c_str() : nullptr) &&
         (Size == 0 || AddAttribute(Attribute::SIZE, "%u", Size)) && AddElementEnd();
}

bool Writer::TextArea(const char* Name_, unsigned Rows, unsigned Cols, const char* Format_, ...) {
  va_list args;
  va_start(args, Format_);
  const bool ok = vTextArea(Name_, Rows, Cols, Format_, args);
  va_end(args);
  return ok;
}

bool Writer::vTextArea(const char* Name_, unsigned Rows, unsigned Cols, const char* Format_,
                       va_list Args) {
  const std::string text = Format_ != nullptr ? Format(Format_, Args) : std::string();
  return AddElementBegin(Element::TEXTAREA) && Optional(Attribute::NAME, Name_) &&
         AddAttribute(Attribute::ROWS, "%u", Rows) && AddAttribute(Attribute::COLS, "%u", Cols) &&
         AddElementEnd() && Encoded(text.c_str()) && CloseElement(Element::TEXTAREA);
}

bool Writer::Button(const char* Name_, const char* Label, bool Submit) {
  return InputBegin(Submit ? "submit" : "button", Name_, Label) && AddElementEnd();
}

bool Writer::ButtonWithCode(const char* Label, const char* Code) {
  return InputBegin("button", nullptr, Label) &&
         AddAttribute(Attribute::ONCLICK, "%s", OrEmpty(Code)) && AddElementEnd();
}

bool Writer::Variable(const char* Name_, const char* Format_, ...) {
  va_list args;
  va_start(args, Format_);
  const bool ok = vVariable(Name_, Format_, args);
  va_end(args);
  return ok;
}

bool Writer::vVariable(const char* Name_, const char* Format_, va_list Args) {
  const std::string value = Format(Format_, Args);
  return InputBegin("hidden", Name_, value.c_str()) && AddElementEnd();
}

bool Writer::Radio(const char* Name_, const char* Value, bool Checked) {
  return InputBegin("radio", Name_, Value) &&
         (!Checked || AddAttribute(Attribute::CHECKED, nullptr)) && AddElementEnd();
}

bool Writer::Check(const char* Name_, const char* Value, bool Checked) {
  return InputBegin("checkbox", Name_, Value) &&
         (!Checked || AddAttribute(Attribute::CHECKED, nullptr)) && AddElementEnd();
}

bool Writer::Combo(const char* Name_, std::span<const char* const> Options, unsigned Selected) {
  if (!AddElementBegin(Element::SELECT) || !Optional(Attribute::NAME, Name_) || !AddElementEnd()) {
    return false;
  }
  for (std::size_t i = 0; i < Options.size(); ++i) {
    if (!AddElementBegin(Element::OPTION) ||
        (i == Selected && !AddAttribute(Attribute::SELECTED, nullptr)) || !AddElementEnd() ||
        !Encoded(Options[i] != nullptr ? Options[i] : "") || !CloseElement(Element::OPTION)) {
      return false;
    }
  }
  return CloseElement(Element::SELECT);
}

bool Writer::FileInput(const char* Name_) {
  return InputBegin("file", Name_, nullptr) && AddElementEnd();
}

const char* Writer::MultipleClasses(std::initializer_list<const char*> Classes) {
  std::size_t used = 0;
  class_buffer_[0] = 0;
  for (const char* c : Classes) {
    if (c == nullptr || *c == 0) continue;
    const std::size_t length = std::strlen(c);
    const std::size_t blank = used > 0 ? 1 : 0;
    if (used + blank + length > sizeof(class_buffer_) - 1) continue;
    if (blank != 0) class_buffer_[used++] = ' ';
    std::memcpy(class_buffer_ + used, c, length);
    used += length;
    class_buffer_[used] = 0;
  }
  return class_buffer_;
}

}  // namespace VXB::HTML
