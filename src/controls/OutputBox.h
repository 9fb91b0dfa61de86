#pragma once
// A plain text box for a job's output: several lines, both scroll bars, and the user can select,
// copy, type and paste in it as in any text box.
//
// A big job writes tens of thousands of lines while it runs. Qt's own text boxes keep their text
// in a rich text document, which costs a few microseconds for every line put into it, and that
// time is taken from the job the box is showing. Here the text is a list of lines: adding one
// costs next to nothing, and only the lines in view are ever laid out.

#include <QAbstractScrollArea>
#include <QBasicTimer>
#include <QElapsedTimer>
#include <QString>

#include <compare>
#include <map>
#include <memory>
#include <vector>

class QTextLayout;

namespace tolvane {

class OutputBox : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit OutputBox(const QString& text = QString(), QWidget* parent = nullptr);
    ~OutputBox() override;

    // The text, its lines joined by line feeds.
    QString toPlainText() const;
    void setPlainText(const QString& text);
    void clear();
    // Adds text at the end, where line feeds break lines; the caret stays where it is.
    void appendText(QStringView text);

    // The length of the text, and how many characters of it lie before the caret.
    qsizetype characterCount() const;
    qsizetype caretPosition() const;
    QString selectedText() const;
    void selectAll();
    void moveCaretToEnd();
    void ensureCaretVisible();

    // The text by offsets, for assistive tools such as screen readers.
    QString textBetween(qsizetype from, qsizetype to) const;
    qsizetype anchorPosition() const;
    void select(qsizetype anchor, qsizetype caret);
    // In the coordinates of the viewport.
    QRect characterRect(qsizetype offset) const;
    qsizetype offsetAt(const QPoint& viewportPoint) const;

signals:
    // After every change of the text, by the program or by the user.
    void textChanged();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void contextMenuEvent(QContextMenuEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
    void timerEvent(QTimerEvent* event) override;
    void inputMethodEvent(QInputMethodEvent* event) override;
    QVariant inputMethodQuery(Qt::InputMethodQuery query) const override;

private:
    struct Place {
        qsizetype line = 0;
        qsizetype column = 0;
        auto operator<=>(const Place&) const = default;
    };

    bool hasSelection() const { return anchor_ != caret_; }
    Place selectionStart() const { return std::min(anchor_, caret_); }
    Place selectionEnd() const { return std::max(anchor_, caret_); }
    Place endPlace() const;
    QString textBetween(Place from, Place to) const;
    Place placeOf(qsizetype offset) const;
    qsizetype offsetOf(Place place) const;

    // Editing by the user.
    void insertText(const QString& text);
    void removeBetween(Place from, Place to);
    bool removeSelection();
    void copy() const;
    void cut();
    void paste();
    void textEdited();

    // Moving the caret; with `select`, the anchor stays and the selection grows or shrinks.
    void moveCaret(Place to, bool select);
    Place nextCharacter(Place from) const;
    Place previousCharacter(Place from) const;
    Place nextWord(Place from) const;
    Place previousWord(Place from) const;
    Place lineAbove(Place from, qsizetype lines); // lines below when negative
    bool handleMoveKey(QKeyEvent* event);
    bool handleEditKey(QKeyEvent* event);

    // Geometry: lines are laid out one at a time, and only when shown or hit.
    const QTextLayout& laidOut(qsizetype line) const;
    void layOutLine(QTextLayout& layout, qsizetype line) const;
    int lineHeight() const;
    int visibleLines() const;
    int pageLines() const; // how far Page Up and Page Down go
    int firstVisibleLine() const;
    QPointF lineOrigin(qsizetype line) const;
    Place placeAt(const QPoint& viewportPoint) const;
    QRect caretRect() const;
    void updateScrollRanges();
    void noteWidth(qreal width);
    void restartBlink();
    void setPrimarySelection() const;

    std::vector<QString> lines_{QString()};
    // The lines laid out since the text last changed there, kept while they are in view: a very
    // long line is not laid out again for every blink of the caret.
    mutable std::map<qsizetype, std::unique_ptr<QTextLayout>> layouts_;
    Place caret_;
    Place anchor_;
    qreal preferredX_ = -1; // where Up and Down aim, kept across short lines
    qreal widest_ = 0;      // the widest line laid out so far, for the horizontal scroll bar
    bool caretShown_ = true;
    QBasicTimer blink_;
    QBasicTimer dragScroll_;
    QPoint dragPoint_;
    QElapsedTimer sinceDoubleClick_;
};

} // namespace tolvane
