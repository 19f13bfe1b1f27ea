// Drop-down lists that show a limited number of items with a scroll bar,
// whatever the style: some styles open a list as a menu as tall as all its
// items, which for the 41 time-outs fills the screen.
#pragma once

#include <QProxyStyle>

class QComboBox;

namespace t880 {

class DropDownStyle : public QProxyStyle
{
    Q_OBJECT
public:
    /// The application's style, its lists opened as scrolling lists;
    /// owned by \a parent.
    explicit DropDownStyle(QObject *parent);

    int styleHint(StyleHint hint, const QStyleOption *option = nullptr,
                  const QWidget *widget = nullptr,
                  QStyleHintReturn *returnData = nullptr) const override;

    /// Enough to choose from without a list that fills the screen.
    static constexpr int VisibleItems = 15;

    /// Lets \a box show at most \a items items at once.
    void limit(QComboBox *box, int items = VisibleItems);
};

} // namespace t880
