#pragma once

#include <stdexcept>

#include <QString>

namespace quotaly {

/// A failure whose text is meant for the user. The dataset engine, the readers and the data store throw it;
/// handlers show text() in a message box.
class Error : public std::runtime_error
{
public:
    explicit Error(const QString &text) : std::runtime_error(text.toStdString()), m_text(text) {}
    const QString &text() const noexcept { return m_text; }

private:
    QString m_text;
};

} // namespace quotaly
