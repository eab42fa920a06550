// Read by lupdate only, never run: the texts of Qt's own dialogs that the window shows (its
// message dialogs' buttons, the built-in file dialog), in the contexts Qt looks them up in. Qt
// 5.15 has no Spanish catalog of these (qtquickcontrols_es), so the program's catalogs carry
// them for every language, in Qt's own wording where Qt has one.
var texts = [
    qsTranslate("DefaultMessageDialog", "OK"),
    qsTranslate("DefaultMessageDialog", "Cancel"),
    qsTranslate("DefaultFileDialog", "Open"),
    qsTranslate("DefaultFileDialog", "Cancel"),
    qsTranslate("DefaultFileDialog", "Filename"),
    qsTranslate("DefaultFileDialog", "Type", "file type (extension)"),
    qsTranslate("DefaultFileDialog", "Size", "file size"),
    qsTranslate("DefaultFileDialog", "Modified", "last-modified time"),
    qsTranslate("DefaultFileDialog", "Accessed", "last-accessed time"),
    qsTranslate("DefaultFileDialog", "Go up to the folder containing this one"),
    qsTranslate("DefaultFileDialog", "Add the current directory as a favorite"),
    qsTranslate("DefaultFileDialog", "Remove favorite")
]
