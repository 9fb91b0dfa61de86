#include "controls/OutputBox.h"

#include "controls/OutputBoxAccessible.h"

#include <QAccessible>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QInputMethodEvent>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QScrollBar>
#include <QStyleHints>
#include <QTextBoundaryFinder>
#include <QTextLayout>

#include <algorithm>
#include <cmath>

namespace tolvane {

namespace {
// The space around the text, as in the other text boxes of the toolkit.
constexpr int kMargin = 4;
// Tab stops every 80 pixels, as in the other text boxes of the toolkit.
constexpr qreal kTabStop = 80;

// Text from the clipboard or an input method, with its line breaks as line feeds.
QString withLineFeeds(QString text) {
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    text.replace(QChar::ParagraphSeparator, QLatin1Char('\n'));
    text.replace(QChar::LineSeparator, QLatin1Char('\n'));
    return text;
}
} // namespace

OutputBox::OutputBox(const QString& text, QWidget* parent) : QAbstractScrollArea(parent) {
    installOutputBoxAccessibility();
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_InputMethodEnabled);
    viewport()->setCursor(Qt::IBeamCursor);
    viewport()->setBackgroundRole(QPalette::Base);
    viewport()->setAutoFillBackground(true);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(20);
    setPlainText(text);
}

OutputBox::~OutputBox() = default;

QString OutputBox::toPlainText() const {
    QString text;
    text.reserve(characterCount());
    for (std::size_t i = 0; i < lines_.size(); ++i) {
        if (i > 0) {
            text += QLatin1Char('\n');
        }
        text += lines_[i];
    }
    return text;
}

void OutputBox::setPlainText(const QString& text) {
    layouts_.clear();
    lines_.assign(1, QString());
    caret_ = anchor_ = Place{};
    widest_ = 0;
    appendText(text); // emits textChanged
}

void OutputBox::clear() {
    setPlainText(QString());
}

void OutputBox::appendText(QStringView text) {
    if (QAccessible::isActive()) {
        QAccessibleTextInsertEvent inserted(this, static_cast<int>(characterCount()),
                                            text.toString());
        QAccessible::updateAccessibility(&inserted);
    }
    // Only the last line changes; the lines after it are new and have no layout yet.
    layouts_.erase(static_cast<qsizetype>(lines_.size()) - 1);
    qsizetype from = 0;
    for (;;) {
        const qsizetype lineFeed = text.indexOf(QLatin1Char('\n'), from);
        if (lineFeed < 0) {
            lines_.back() += text.mid(from);
            break;
        }
        lines_.back() += text.mid(from, lineFeed - from);
        lines_.emplace_back();
        from = lineFeed + 1;
    }
    updateScrollRanges();
    viewport()->update();
    emit textChanged();
}

qsizetype OutputBox::characterCount() const {
    qsizetype count = static_cast<qsizetype>(lines_.size()) - 1;
    for (const QString& line : lines_) {
        count += line.size();
    }
    return count;
}

qsizetype OutputBox::caretPosition() const {
    return offsetOf(caret_);
}

qsizetype OutputBox::anchorPosition() const {
    return offsetOf(anchor_);
}

qsizetype OutputBox::offsetOf(Place place) const {
    qsizetype offset = place.column;
    for (qsizetype i = 0; i < place.line; ++i) {
        offset += lines_[i].size() + 1;
    }
    return offset;
}

OutputBox::Place OutputBox::placeOf(qsizetype offset) const {
    offset = std::max<qsizetype>(offset, 0);
    for (qsizetype i = 0; i < static_cast<qsizetype>(lines_.size()); ++i) {
        if (offset <= lines_[i].size()) {
            return {i, offset};
        }
        offset -= lines_[i].size() + 1;
    }
    return endPlace();
}

QString OutputBox::textBetween(qsizetype from, qsizetype to) const {
    const Place start = placeOf(from);
    const Place end = placeOf(to);
    return start < end ? textBetween(start, end) : QString();
}

void OutputBox::select(qsizetype anchor, qsizetype caret) {
    anchor_ = placeOf(anchor);
    moveCaret(placeOf(caret), true);
}

QRect OutputBox::characterRect(qsizetype offset) const {
    const Place place = placeOf(offset);
    const QTextLine line = laidOut(place.line).lineAt(0);
    const QPointF origin = lineOrigin(place.line);
    const Place next = nextCharacter(place);
    const qreal left = line.cursorToX(place.column);
    const qreal right = line.cursorToX(next.line == place.line ? next.column : place.column);
    return QRectF(origin.x() + left, origin.y(), std::max<qreal>(right - left, 1), lineHeight())
        .toAlignedRect();
}

qsizetype OutputBox::offsetAt(const QPoint& viewportPoint) const {
    return offsetOf(placeAt(viewportPoint));
}

QString OutputBox::selectedText() const {
    return textBetween(selectionStart(), selectionEnd());
}

void OutputBox::selectAll() {
    anchor_ = Place{};
    caret_ = endPlace();
    setPrimarySelection();
    viewport()->update();
}

void OutputBox::moveCaretToEnd() {
    caret_ = anchor_ = endPlace();
    preferredX_ = -1;
    restartBlink();
    viewport()->update();
}

OutputBox::Place OutputBox::endPlace() const {
    const qsizetype last = static_cast<qsizetype>(lines_.size()) - 1;
    return {last, lines_[last].size()};
}

QString OutputBox::textBetween(Place from, Place to) const {
    if (from.line == to.line) {
        return lines_[from.line].mid(from.column, to.column - from.column);
    }
    QString text = lines_[from.line].mid(from.column);
    for (qsizetype i = from.line + 1; i < to.line; ++i) {
        text += QLatin1Char('\n');
        text += lines_[i];
    }
    text += QLatin1Char('\n');
    text += lines_[to.line].left(to.column);
    return text;
}

// ---- editing ----

void OutputBox::insertText(const QString& text) {
    removeSelection();
    const QString tail = lines_[caret_.line].mid(caret_.column);
    lines_[caret_.line].truncate(caret_.column);
    const QStringList parts = withLineFeeds(text).split(QLatin1Char('\n'));
    lines_[caret_.line] += parts.front();
    // All new lines at once: a big paste into a long output moves the lines after it once.
    lines_.insert(lines_.begin() + caret_.line + 1, parts.begin() + 1, parts.end());
    caret_.line += parts.size() - 1;
    caret_.column = lines_[caret_.line].size();
    lines_[caret_.line] += tail;
    anchor_ = caret_;
    textEdited();
}

void OutputBox::removeBetween(Place from, Place to) {
    if (from == to) {
        return;
    }
    lines_[from.line] = lines_[from.line].left(from.column) + lines_[to.line].mid(to.column);
    lines_.erase(lines_.begin() + from.line + 1, lines_.begin() + to.line + 1);
    caret_ = anchor_ = from;
}

bool OutputBox::removeSelection() {
    if (!hasSelection()) {
        return false;
    }
    removeBetween(selectionStart(), selectionEnd());
    return true;
}

void OutputBox::textEdited() {
    layouts_.clear(); // lines may have moved up or down
    preferredX_ = -1;
    updateScrollRanges();
    restartBlink();
    ensureCaretVisible();
    viewport()->update();
    emit textChanged();
}

void OutputBox::copy() const {
    if (hasSelection()) {
        QGuiApplication::clipboard()->setText(selectedText());
    }
}

void OutputBox::cut() {
    if (hasSelection()) {
        copy();
        removeSelection();
        textEdited();
    }
}

void OutputBox::paste() {
    const QString text = QGuiApplication::clipboard()->text();
    if (!text.isEmpty()) {
        insertText(text);
    }
}

// ---- moving the caret ----

void OutputBox::moveCaret(Place to, bool select) {
    caret_ = to;
    if (!select) {
        anchor_ = to;
    } else {
        setPrimarySelection();
    }
    restartBlink();
    ensureCaretVisible();
    viewport()->update();
}

OutputBox::Place OutputBox::nextCharacter(Place from) const {
    const QString& line = lines_[from.line];
    if (from.column < line.size()) {
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, line);
        graphemes.setPosition(from.column);
        return {from.line, graphemes.toNextBoundary()};
    }
    if (from.line + 1 < static_cast<qsizetype>(lines_.size())) {
        return {from.line + 1, 0};
    }
    return from;
}

OutputBox::Place OutputBox::previousCharacter(Place from) const {
    if (from.column > 0) {
        QTextBoundaryFinder graphemes(QTextBoundaryFinder::Grapheme, lines_[from.line]);
        graphemes.setPosition(from.column);
        return {from.line, graphemes.toPreviousBoundary()};
    }
    if (from.line > 0) {
        return {from.line - 1, lines_[from.line - 1].size()};
    }
    return from;
}

OutputBox::Place OutputBox::nextWord(Place from) const {
    const QString& line = lines_[from.line];
    if (from.column >= line.size()) {
        return nextCharacter(from);
    }
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, line);
    words.setPosition(from.column);
    // To the start of the next word, past the spaces after this one.
    qsizetype at = words.toNextBoundary();
    while (at >= 0 && at < line.size() && line[at].isSpace()) {
        at = words.toNextBoundary();
    }
    return {from.line, at < 0 ? line.size() : at};
}

OutputBox::Place OutputBox::previousWord(Place from) const {
    if (from.column == 0) {
        return previousCharacter(from);
    }
    const QString& line = lines_[from.line];
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, line);
    words.setPosition(from.column);
    qsizetype at = words.toPreviousBoundary();
    while (at > 0 && line[at].isSpace()) {
        at = words.toPreviousBoundary();
    }
    return {from.line, std::max<qsizetype>(at, 0)};
}

OutputBox::Place OutputBox::lineAbove(Place from, qsizetype lines) {
    const qsizetype last = static_cast<qsizetype>(lines_.size()) - 1;
    const qsizetype target = std::clamp<qsizetype>(from.line - lines, 0, last);
    if (target == from.line) {
        return lines > 0 ? Place{0, 0} : endPlace();
    }
    if (preferredX_ < 0) {
        preferredX_ = laidOut(from.line).lineAt(0).cursorToX(from.column);
    }
    return {target, laidOut(target).lineAt(0).xToCursor(preferredX_)};
}

bool OutputBox::handleMoveKey(QKeyEvent* event) {
    using Key = QKeySequence::StandardKey;
    struct Move {
        Key move;
        Key select; // the same move, keeping the anchor
        Place (*target)(OutputBox& box);
        bool vertical; // aims at the column Up and Down keep
    };
    static const Move moves[] = {
        {QKeySequence::MoveToNextChar, QKeySequence::SelectNextChar,
         [](OutputBox& box) { return box.nextCharacter(box.caret_); }, false},
        {QKeySequence::MoveToPreviousChar, QKeySequence::SelectPreviousChar,
         [](OutputBox& box) { return box.previousCharacter(box.caret_); }, false},
        {QKeySequence::MoveToNextWord, QKeySequence::SelectNextWord,
         [](OutputBox& box) { return box.nextWord(box.caret_); }, false},
        {QKeySequence::MoveToPreviousWord, QKeySequence::SelectPreviousWord,
         [](OutputBox& box) { return box.previousWord(box.caret_); }, false},
        {QKeySequence::MoveToNextLine, QKeySequence::SelectNextLine,
         [](OutputBox& box) { return box.lineAbove(box.caret_, -1); }, true},
        {QKeySequence::MoveToPreviousLine, QKeySequence::SelectPreviousLine,
         [](OutputBox& box) { return box.lineAbove(box.caret_, 1); }, true},
        {QKeySequence::MoveToNextPage, QKeySequence::SelectNextPage,
         [](OutputBox& box) { return box.lineAbove(box.caret_, -box.pageLines()); }, true},
        {QKeySequence::MoveToPreviousPage, QKeySequence::SelectPreviousPage,
         [](OutputBox& box) { return box.lineAbove(box.caret_, box.pageLines()); }, true},
        {QKeySequence::MoveToStartOfLine, QKeySequence::SelectStartOfLine,
         [](OutputBox& box) {
             return Place{box.caret_.line, 0};
         },
         false},
        {QKeySequence::MoveToEndOfLine, QKeySequence::SelectEndOfLine,
         [](OutputBox& box) {
             return Place{box.caret_.line, box.lines_[box.caret_.line].size()};
         },
         false},
        {QKeySequence::MoveToStartOfDocument, QKeySequence::SelectStartOfDocument,
         [](OutputBox&) { return Place{}; }, false},
        {QKeySequence::MoveToEndOfDocument, QKeySequence::SelectEndOfDocument,
         [](OutputBox& box) { return box.endPlace(); }, false},
    };
    for (const Move& move : moves) {
        const bool select = event->matches(move.select);
        if (!select && !event->matches(move.move)) {
            continue;
        }
        if (!select && hasSelection() &&
            (move.move == QKeySequence::MoveToNextChar ||
             move.move == QKeySequence::MoveToPreviousChar)) {
            // An arrow ends a selection at its own side, as in other text boxes.
            moveCaret(move.move == QKeySequence::MoveToNextChar ? selectionEnd() : selectionStart(),
                      false);
        } else {
            moveCaret(move.target(*this), select);
        }
        if (!move.vertical) {
            preferredX_ = -1;
        }
        return true;
    }
    return false;
}

bool OutputBox::handleEditKey(QKeyEvent* event) {
    if (event->matches(QKeySequence::SelectAll)) {
        selectAll();
    } else if (event->matches(QKeySequence::Copy)) {
        copy();
    } else if (event->matches(QKeySequence::Cut)) {
        cut();
    } else if (event->matches(QKeySequence::Paste)) {
        paste();
    } else if (event->key() == Qt::Key_Backspace && !(event->modifiers() & Qt::ControlModifier)) {
        if (!removeSelection()) {
            removeBetween(previousCharacter(caret_), caret_);
        }
        textEdited();
    } else if (event->matches(QKeySequence::Delete)) {
        if (!removeSelection()) {
            removeBetween(caret_, nextCharacter(caret_));
        }
        textEdited();
    } else if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        insertText(QStringLiteral("\n"));
    } else if (event->key() == Qt::Key_Tab && event->modifiers() == Qt::NoModifier) {
        insertText(QStringLiteral("\t"));
    } else {
        // Ctrl with a key is a command, not text; Ctrl+Alt is how Windows reports AltGr, which
        // types signs such as the backslash on many keyboards.
        const QString text = event->text();
        const Qt::KeyboardModifiers modifiers = event->modifiers();
        const bool command = (modifiers & Qt::MetaModifier) ||
                             ((modifiers & Qt::ControlModifier) && !(modifiers & Qt::AltModifier));
        if (text.isEmpty() || !text.front().isPrint() || command) {
            return false;
        }
        insertText(text);
    }
    return true;
}

void OutputBox::keyPressEvent(QKeyEvent* event) {
    if (handleMoveKey(event) || handleEditKey(event)) {
        event->accept();
        return;
    }
    QAbstractScrollArea::keyPressEvent(event);
}

// ---- geometry ----

const QTextLayout& OutputBox::laidOut(qsizetype line) const {
    std::unique_ptr<QTextLayout>& layout = layouts_[line];
    if (!layout) {
        layout = std::make_unique<QTextLayout>();
        layOutLine(*layout, line);
    }
    return *layout;
}

void OutputBox::layOutLine(QTextLayout& layout, qsizetype line) const {
    layout.setText(lines_[line]);
    layout.setFont(font());
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    option.setTabStopDistance(kTabStop);
    layout.setTextOption(option);
    layout.beginLayout();
    QTextLine only = layout.createLine();
    only.setLineWidth(1e6);
    layout.endLayout();
}

int OutputBox::lineHeight() const {
    return std::max(1, QFontMetrics(font()).height());
}

int OutputBox::visibleLines() const {
    return std::max(1, (viewport()->height() - kMargin) / lineHeight());
}

int OutputBox::pageLines() const {
    return std::max(1, visibleLines() - 1); // one line of the last page stays in view
}

int OutputBox::firstVisibleLine() const {
    return verticalScrollBar()->value();
}

QPointF OutputBox::lineOrigin(qsizetype line) const {
    return {static_cast<qreal>(kMargin - horizontalScrollBar()->value()),
            static_cast<qreal>(kMargin + (line - firstVisibleLine()) * lineHeight())};
}

OutputBox::Place OutputBox::placeAt(const QPoint& point) const {
    const qsizetype last = static_cast<qsizetype>(lines_.size()) - 1;
    const qsizetype row = (point.y() - kMargin) >= 0 ? (point.y() - kMargin) / lineHeight() : -1;
    const qsizetype line = std::clamp<qsizetype>(firstVisibleLine() + row, 0, last);
    return {line, laidOut(line).lineAt(0).xToCursor(point.x() - lineOrigin(line).x())};
}

QRect OutputBox::caretRect() const {
    const QPointF origin = lineOrigin(caret_.line);
    const qreal x = origin.x() + laidOut(caret_.line).lineAt(0).cursorToX(caret_.column);
    return QRect(static_cast<int>(x), static_cast<int>(origin.y()), 1, lineHeight());
}

void OutputBox::updateScrollRanges() {
    QScrollBar* vertical = verticalScrollBar();
    vertical->setPageStep(visibleLines());
    vertical->setRange(0, std::max(0, static_cast<int>(lines_.size()) - visibleLines()));
    QScrollBar* horizontal = horizontalScrollBar();
    horizontal->setPageStep(viewport()->width());
    horizontal->setRange(
        0, std::max(0, static_cast<int>(std::ceil(widest_)) + 2 * kMargin - viewport()->width()));
}

void OutputBox::noteWidth(qreal width) {
    if (width > widest_) {
        widest_ = width;
        updateScrollRanges();
    }
}

void OutputBox::ensureCaretVisible() {
    QScrollBar* vertical = verticalScrollBar();
    const int rows = visibleLines();
    if (caret_.line < vertical->value()) {
        vertical->setValue(static_cast<int>(caret_.line));
    } else if (caret_.line >= vertical->value() + rows) {
        vertical->setValue(static_cast<int>(caret_.line) - rows + 1);
    }
    const QTextLine line = laidOut(caret_.line).lineAt(0);
    noteWidth(line.naturalTextWidth());
    QScrollBar* horizontal = horizontalScrollBar();
    const int x = static_cast<int>(line.cursorToX(caret_.column));
    const int room = viewport()->width() - 2 * kMargin;
    if (x < horizontal->value()) {
        horizontal->setValue(x);
    } else if (x >= horizontal->value() + room) {
        horizontal->setValue(x - room + 1);
    }
}

void OutputBox::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRanges();
}

void OutputBox::changeEvent(QEvent* event) {
    QAbstractScrollArea::changeEvent(event);
    if (event->type() == QEvent::FontChange) {
        layouts_.clear();
        widest_ = 0;
        updateScrollRanges();
        viewport()->update();
    }
}

void OutputBox::scrollContentsBy(int, int) {
    viewport()->update();
}

// ---- painting ----

void OutputBox::paintEvent(QPaintEvent* event) {
    QPainter painter(viewport());
    const QPalette::ColorGroup group = hasFocus() ? QPalette::Active : QPalette::Inactive;
    QTextCharFormat selected;
    selected.setBackground(palette().brush(group, QPalette::Highlight));
    selected.setForeground(palette().brush(group, QPalette::HighlightedText));
    painter.setPen(palette().color(group, QPalette::Text));
    const Place start = selectionStart();
    const Place end = selectionEnd();
    // Only the rows that need painting: a blinking caret asks for one.
    const qsizetype inView = firstVisibleLine();
    const qsizetype lastInView =
        std::min<qsizetype>(static_cast<qsizetype>(lines_.size()), inView + visibleLines() + 1);
    const qsizetype first =
        std::max<qsizetype>(inView, inView + (event->rect().top() - kMargin) / lineHeight());
    const qsizetype stop = std::min<qsizetype>(
        lastInView, inView + (event->rect().bottom() - kMargin) / lineHeight() + 1);
    for (qsizetype i = first; i < stop; ++i) {
        const QTextLayout& layout = laidOut(i);
        const QTextLine line = layout.lineAt(0);
        noteWidth(line.naturalTextWidth());
        const QPointF origin = lineOrigin(i);
        QList<QTextLayout::FormatRange> selections;
        if (hasSelection() && start.line <= i && i <= end.line) {
            const qsizetype from = i == start.line ? start.column : 0;
            const qsizetype to = i == end.line ? end.column : lines_[i].size();
            selections.append({static_cast<int>(from), static_cast<int>(to - from), selected});
            if (i < end.line) {
                // The line break is part of the selection too.
                const qreal x = origin.x() + line.cursorToX(lines_[i].size());
                painter.fillRect(
                    QRectF(x, origin.y(), QFontMetricsF(font()).averageCharWidth(), lineHeight()),
                    selected.background());
            }
        }
        layout.draw(&painter, origin, selections);
        if (i == caret_.line && hasFocus() && caretShown_) {
            layout.drawCursor(&painter, origin, static_cast<int>(caret_.column));
        }
    }
    // Lines out of view are laid out again when they come back.
    std::erase_if(layouts_, [&](const auto& entry) {
        return entry.first < inView || entry.first >= lastInView;
    });
}

void OutputBox::restartBlink() {
    // Every move of the caret comes here, so assistive tools hear of it here.
    if (QAccessible::isActive()) {
        QAccessibleTextCursorEvent moved(this, static_cast<int>(caretPosition()));
        QAccessible::updateAccessibility(&moved);
    }
    caretShown_ = true;
    const int flash = QApplication::cursorFlashTime();
    if (hasFocus() && flash > 0) {
        blink_.start(flash / 2, this);
    } else {
        blink_.stop();
    }
}

void OutputBox::timerEvent(QTimerEvent* event) {
    if (event->timerId() == blink_.timerId()) {
        caretShown_ = !caretShown_;
        viewport()->update(caretRect().adjusted(-2, 0, 2, 0));
    } else if (event->timerId() == dragScroll_.timerId()) {
        // Dragging past the edge keeps scrolling while the mouse stays there: the caret goes to
        // the line beyond the edge, and the view follows it.
        moveCaret(placeAt(dragPoint_), true);
    } else {
        QAbstractScrollArea::timerEvent(event);
    }
}

void OutputBox::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    restartBlink();
    viewport()->update();
}

void OutputBox::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    blink_.stop();
    viewport()->update();
}

// ---- the mouse ----

void OutputBox::setPrimarySelection() const {
    QClipboard* clipboard = QGuiApplication::clipboard();
    if (clipboard->supportsSelection() && hasSelection()) {
        clipboard->setText(selectedText(), QClipboard::Selection);
    }
}

void OutputBox::mousePressEvent(QMouseEvent* event) {
    const Place at = placeAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton) {
        const bool tripleClick =
            sinceDoubleClick_.isValid() &&
            sinceDoubleClick_.elapsed() < QGuiApplication::styleHints()->mouseDoubleClickInterval();
        sinceDoubleClick_.invalidate();
        if (tripleClick) {
            anchor_ = {at.line, 0};
            moveCaret(nextCharacter({at.line, lines_[at.line].size()}), true);
            return;
        }
        moveCaret(at, event->modifiers() & Qt::ShiftModifier);
    } else if (event->button() == Qt::MiddleButton &&
               QGuiApplication::clipboard()->supportsSelection()) {
        const QString text = QGuiApplication::clipboard()->text(QClipboard::Selection);
        if (!text.isEmpty()) {
            moveCaret(at, false);
            insertText(text);
        }
    }
}

void OutputBox::mouseMoveEvent(QMouseEvent* event) {
    if (!(event->buttons() & Qt::LeftButton)) {
        return;
    }
    dragPoint_ = event->position().toPoint();
    const bool outside = dragPoint_.y() < 0 || dragPoint_.y() > viewport()->height();
    if (outside && !dragScroll_.isActive()) {
        dragScroll_.start(50, this);
    } else if (!outside) {
        dragScroll_.stop();
    }
    moveCaret(placeAt(dragPoint_), true);
}

void OutputBox::mouseReleaseEvent(QMouseEvent*) {
    dragScroll_.stop();
}

void OutputBox::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const Place at = placeAt(event->position().toPoint());
    const QString& line = lines_[at.line];
    // The word (or the run of spaces, or the sign) the click landed on.
    QTextBoundaryFinder words(QTextBoundaryFinder::Word, line);
    words.setPosition(at.column);
    const qsizetype start =
        words.isAtBoundary() ? at.column : std::max<qsizetype>(words.toPreviousBoundary(), 0);
    words.setPosition(start);
    const qsizetype end = words.toNextBoundary();
    anchor_ = {at.line, start};
    moveCaret({at.line, end < 0 ? line.size() : end}, true);
    sinceDoubleClick_.start();
}

void OutputBox::contextMenuEvent(QContextMenuEvent* event) {
    QMenu menu(this);
    const bool selection = hasSelection();
    QAction* cutAction = menu.addAction(tr("Cu&t"), this, &OutputBox::cut);
    cutAction->setShortcut(QKeySequence::Cut);
    cutAction->setEnabled(selection);
    QAction* copyAction = menu.addAction(tr("&Copy"), this, &OutputBox::copy);
    copyAction->setShortcut(QKeySequence::Copy);
    copyAction->setEnabled(selection);
    QAction* pasteAction = menu.addAction(tr("&Paste"), this, &OutputBox::paste);
    pasteAction->setShortcut(QKeySequence::Paste);
    const QMimeData* clipboard = QGuiApplication::clipboard()->mimeData();
    pasteAction->setEnabled(clipboard && clipboard->hasText());
    QAction* deleteAction = menu.addAction(tr("Delete"), this, [this] {
        if (removeSelection()) {
            textEdited();
        }
    });
    deleteAction->setEnabled(selection);
    menu.addSeparator();
    QAction* selectAllAction = menu.addAction(tr("Select All"), this, &OutputBox::selectAll);
    selectAllAction->setShortcut(QKeySequence::SelectAll);
    selectAllAction->setEnabled(characterCount() > 0);
    menu.exec(event->globalPos());
}

// ---- input methods ----

void OutputBox::inputMethodEvent(QInputMethodEvent* event) {
    if (!event->commitString().isEmpty()) {
        insertText(event->commitString());
    }
    event->accept();
}

QVariant OutputBox::inputMethodQuery(Qt::InputMethodQuery query) const {
    switch (query) {
    case Qt::ImEnabled:
        return true;
    case Qt::ImCursorRectangle:
        return caretRect().translated(viewport()->pos());
    case Qt::ImFont:
        return font();
    case Qt::ImSurroundingText:
        return lines_[caret_.line];
    case Qt::ImCursorPosition:
        return static_cast<int>(caret_.column);
    case Qt::ImAnchorPosition:
        return static_cast<int>(anchor_.line == caret_.line ? anchor_.column : caret_.column);
    case Qt::ImCurrentSelection:
        return selectedText();
    case Qt::ImHints:
        return static_cast<int>(Qt::ImhMultiLine);
    default:
        return QAbstractScrollArea::inputMethodQuery(query);
    }
}

} // namespace tolvane
