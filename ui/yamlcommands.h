// File > Import YAML and Export YAML: the whole codeplug as text, for
// version control and scripts. An import reads every value over the
// window's codeplug (keys the file leaves out keep their values), shows
// what would change (and any frequency outside the window's band, which the
// file keeps), and changes nothing unless that is accepted; a file
// with errors lists them, each with its line, and changes nothing.
#pragma once

#include <QString>

#include <functional>

class QWidget;

namespace t880 {

class Document;

namespace yamlcommands {

/// Asks for a YAML file and imports it as one step; \a changed runs once
/// the codeplug is in. Returns true when something was taken.
bool importYaml(Document &state, QWidget *parent, const std::function<void()> &changed);
/// The same for a given file, without the file dialog.
bool importYamlFile(Document &state, QWidget *parent, const QString &path,
                    const std::function<void()> &changed);

/// Asks for a file name and writes the codeplug as YAML.
bool exportYaml(Document &state, QWidget *parent, const QString &suggestedBase);
/// The same for a given path.
bool exportYamlFile(const Document &state, QWidget *parent, const QString &path);

} // namespace yamlcommands
} // namespace t880
