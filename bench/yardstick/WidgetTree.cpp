#include "WidgetTree.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSlider>
#include <QToolButton>

namespace yardstick {

namespace {

QString escaped(QString text) {
    text.replace('\\', "\\\\");
    text.replace('\t', "\\t");
    text.replace('\n', "\\n");
    return text;
}

QString unescaped(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] != '\\' || i + 1 == text.size()) {
            out += text[i];
            continue;
        }
        const QChar next = text[++i];
        out += next == 't' ? QChar('\t') : next == 'n' ? QChar('\n') : next;
    }
    return out;
}

QString fontField(const QFont& font) {
    const QString size = font.pixelSize() > 0 ? "px" + QString::number(font.pixelSize())
                                              : QString::number(font.pointSizeF());
    QString field = size + "/" + QString::number(font.weight());
    if (font.family() != QApplication::font().family()) field += "/" + font.family();
    return field;
}

bool readFont(const QString& field, QFont& font) {
    const auto parts = field.split('/');
    if (parts.size() < 2) return false;
    bool sizeOk = false, weightOk = false;
    if (parts[0].startsWith("px"))
        font.setPixelSize(parts[0].mid(2).toInt(&sizeOk));
    else
        font.setPointSizeF(parts[0].toDouble(&sizeOk));
    font.setWeight(QFont::Weight(parts[1].toInt(&weightOk)));
    if (parts.size() > 2) font.setFamily(parts.mid(2).join('/'));
    return sizeOk && weightOk;
}

struct Walk {
    QWidget* window;
    QWidget* content = nullptr; // the scroll view's, once met
    QStringList lines;

    void control(QWidget* w, const QString& kind, const QString& flags, const QStringList& text) {
        const bool inScroll = content && content->isAncestorOf(w);
        QWidget* container = inScroll ? content : window;
        const QPoint at = w->mapTo(container, QPoint(0, 0));
        QStringList fields{kind,
                           inScroll ? "1" : "0",
                           QString::number(at.x()),
                           QString::number(at.y()),
                           QString::number(w->width()),
                           QString::number(w->height()),
                           fontField(w->font()),
                           flags.isEmpty() ? "-" : flags};
        for (const auto& t : text)
            fields << escaped(t);
        lines << fields.join('\t');
    }

    // True when w is a control (its insides are its own business).
    bool visit(QWidget* w) {
        QString flags = w->isEnabled() ? "" : "d";
        if (auto* label = qobject_cast<QLabel*>(w)) {
            if (label->wordWrap()) flags += "w";
            control(w, "label", flags, {label->text()});
        } else if (auto* box = qobject_cast<QCheckBox*>(w)) {
            if (box->isChecked()) flags += "c";
            control(w, "checkbox", flags, {box->text()});
        } else if (qobject_cast<QPushButton*>(w) || qobject_cast<QToolButton*>(w)) {
            control(w, "button", flags, {static_cast<QAbstractButton*>(w)->text()});
        } else if (auto* slider = qobject_cast<QSlider*>(w)) {
            control(w, "slider", flags,
                    {QStringLiteral("%1 %2 %3 %4")
                         .arg(slider->minimum())
                         .arg(slider->maximum())
                         .arg(slider->value())
                         .arg(slider->orientation() == Qt::Horizontal ? "h" : "v")});
        } else if (auto* popup = qobject_cast<QComboBox*>(w)) {
            QStringList text{QString::number(popup->currentIndex())};
            for (int i = 0; i < popup->count(); ++i)
                text << popup->itemText(i);
            control(w, "popup", flags, text);
        } else if (auto* field = qobject_cast<QLineEdit*>(w)) {
            control(w, "field", flags, {field->text()});
        } else {
            return false;
        }
        return true;
    }

    void walk(QWidget* parent) {
        for (auto* child : parent->findChildren<QWidget*>(Qt::FindDirectChildrenOnly)) {
            if (child->isWindow() || !child->isVisibleTo(window)) continue;
            if (auto* area = qobject_cast<QScrollArea*>(child);
                area && area->widget() && !content) {
                const QPoint at = area->mapTo(window, QPoint(0, 0));
                content = area->widget();
                lines << QStringLiteral("scroll\t%1\t%2\t%3\t%4\t%5\t%6")
                             .arg(at.x())
                             .arg(at.y())
                             .arg(area->width())
                             .arg(area->height())
                             .arg(content->width())
                             .arg(content->height());
                walk(content);
                continue;
            }
            if (!visit(child)) walk(child);
        }
    }
};

} // namespace

QString describe(QWidget* window) {
    Walk walk{window, nullptr, {}};
    walk.lines << QStringLiteral("window\t%1\t%2\t%3")
                      .arg(window->width())
                      .arg(window->height())
                      .arg(escaped(window->windowTitle()));
    walk.walk(window);
    return walk.lines.join('\n') + '\n';
}

namespace {

QWidget* makeControl(const QString& kind, const QStringList& f, QWidget* parent) {
    const QString text = f.size() > 8 ? unescaped(f[8]) : QString();
    const QString flags = f[7];
    if (kind == "label") {
        auto* label = new QLabel(text, parent);
        label->setWordWrap(flags.contains('w'));
        return label;
    }
    if (kind == "checkbox") {
        auto* box = new QCheckBox(text, parent);
        box->setChecked(flags.contains('c'));
        return box;
    }
    if (kind == "button") return new QPushButton(text, parent);
    if (kind == "field") return new QLineEdit(text, parent);
    if (kind == "slider") {
        const auto v = text.split(' ');
        if (v.size() != 4) return nullptr;
        auto* slider = new QSlider(v[3] == "h" ? Qt::Horizontal : Qt::Vertical, parent);
        slider->setRange(v[0].toInt(), v[1].toInt());
        slider->setValue(v[2].toInt());
        return slider;
    }
    if (kind == "popup") {
        auto* popup = new QComboBox(parent);
        for (qsizetype i = 9; i < f.size(); ++i)
            popup->addItem(unescaped(f[i]));
        popup->setCurrentIndex(text.toInt());
        return popup;
    }
    return nullptr;
}

} // namespace

bool build(const QString& description, QWidget* window, QString* error) {
    QWidget* content = nullptr;
    int number = 0;
    auto fail = [&](const QString& why) {
        if (error) *error = QStringLiteral("line %1: %2").arg(number).arg(why);
        return false;
    };
    for (const auto& line : description.split('\n', Qt::SkipEmptyParts)) {
        ++number;
        const auto f = line.split('\t');
        if (f[0] == "window" && f.size() >= 3) {
            window->resize(f[1].toInt(), f[2].toInt());
            window->setWindowTitle(f.size() > 3 ? unescaped(f[3]) : QString());
            continue;
        }
        if (f[0] == "scroll" && f.size() == 7) {
            auto* area = new QScrollArea(window);
            area->setFrameShape(QFrame::NoFrame);
            area->setGeometry(f[1].toInt(), f[2].toInt(), f[3].toInt(), f[4].toInt());
            content = new QWidget;
            content->resize(f[5].toInt(), f[6].toInt());
            area->setWidget(content);
            continue;
        }
        if (f.size() < 8) return fail("too few fields");
        QWidget* parent = f[1] == "1" ? content : window;
        if (!parent) return fail("a control in a scroll view that was not described");
        QWidget* control = makeControl(f[0], f, parent);
        if (!control) return fail("unknown control or bad fields: " + f[0]);
        control->setGeometry(f[2].toInt(), f[3].toInt(), f[4].toInt(), f[5].toInt());
        QFont font = control->font();
        if (!readFont(f[6], font)) return fail("bad font " + f[6]);
        control->setFont(font);
        control->setEnabled(!f[7].contains('d'));
    }
    return true;
}

} // namespace yardstick
