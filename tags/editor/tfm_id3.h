#pragma once
// The tag editor Tfm_id3 ("ID3 Edit"): the source list's files on the left,
// the six tag fields of the selected file on the right. It edits a private
// working copy of the tag records; only "Ok" puts it back into the list.
// Created once and reused; each showing starts afresh from the source list.

#include "tags/tagrecords.h"

#include <QDialog>

#include <array>
#include <functional>
#include <string>
#include <vector>

class QComboBox;
class QLabel;
class QLayout;
class QGroupBox;
class QLineEdit;
class QPlainTextEdit;
class QPushButton;
class QTreeWidget;

namespace brisklet::tags::editor {

// The source list as the editor sees it.
class TagEditorHost {
public:
    virtual ~TagEditorHost() = default;
    // The caption of every source list entry, in list order.
    virtual std::vector<std::string> sourceCaptions() const = 0;
    // The tag records beside the entries, one per entry at the same index.
    virtual TagList& tagList() = 0;
    // Shows `caption` as the caption of entry `row` of the source list.
    virtual void setSourceCaption(int row, const std::string& caption) = 0;
};

// The six fields, in the order of their boxes on the window.
enum class TagField { Title, Artist, Album, Year, Genre, Comment };
inline constexpr std::array<TagField, 6> tagFields = {TagField::Title, TagField::Artist,
                                                      TagField::Album, TagField::Year,
                                                      TagField::Genre, TagField::Comment};

std::string& fieldOf(AudioFileinfo& record, TagField field);
const std::string& fieldOf(const AudioFileinfo& record, TagField field);

class Tfm_id3 : public QDialog {
    Q_OBJECT
public:
    // The editor shows itself at `mainWindow`'s top left corner.
    explicit Tfm_id3(QWidget* mainWindow = nullptr);
    ~Tfm_id3() override;

    // Shows the editor modally over `host`'s source list and returns when it
    // closes. `host` must outlive the call.
    void edit(TagEditorHost& host);

    // Widths of the "File Name" column: the narrower one leaves room for the
    // scroll bar that a long list needs.
    static constexpr int shortListColumnWidth = 143;
    static constexpr int longListColumnWidth = 127;
    static constexpr int longListRows = 20;

    // While open: the records being edited, and the row a click that leaves
    // no row selected goes back to.
    const TagList& workingCopy() const { return m_working; }
    int returnRow() const { return m_returnRow; }
    // The selected row of lv_id3, or -1.
    int selectedRow() const;

    QTreeWidget* lv_id3() const { return m_list; }
    QLineEdit* edt_tatal() const { return m_title; }
    QLineEdit* edt_art() const { return m_artist; }
    QLineEdit* edt_alb() const { return m_album; }
    QLineEdit* edt_year() const { return m_year; }
    QComboBox* edt_genre() const { return m_genre; }
    QPlainTextEdit* edt_com() const { return m_comment; }
    // The "All" button beside the box of `field`.
    QPushButton* allButton(TagField field) const;
    // The cover picture of the selected file, and its two buttons.
    QLabel* img_cover() const { return m_cover; }
    QPushButton* bt_picture() const { return m_pictureButton; }
    QPushButton* bt_nopicture() const { return m_noPictureButton; }
    // Who asks for the image file that replaces a cover (empty: none chosen)
    // and who shows why one is refused; the defaults are the file dialog and
    // a message box.
    void setPictureDialogs(std::function<QString(QWidget*)> choose,
                           std::function<void(QWidget*, const QString&)> inform);
    QPushButton* bt_reset() const { return m_reset; }
    QPushButton* bt_ok() const { return m_ok; }
    QPushButton* bt_cancel() const { return m_cancel; }

    // The current text of the box of `field`.
    QString boxText(TagField field) const;

    void done(int result) override;

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void layOutControls();
    void connectControls();
    void fillGenres();

    void FormShow();
    // Rows from the source list's captions, row 0 selected, a fresh working
    // copy, and the boxes loaded with the caption as Title.
    void startFromSourceList();
    void fillRows();
    void updateColumnWidth();
    void selectRow(int row);
    // Sets the six boxes, then stores each into the selected row's record,
    // as typing into them would.
    void loadBoxes(const AudioFileinfo& record, const QString& title);
    void clearBoxes();
    void setBoxText(TagField field, const QString& text);
    void store(TagField field);
    // Leaving a box: its text once more, and the Title becomes the caption.
    void leaveBox(TagField field);

    // The cover controls (tfm_id3_cover.cpp).
    void buildCoverControls();
    QLayout* coverRow();
    void showCover(const Picture& picture);
    void PictureClick();
    void NoPictureClick();

    void lv_id3Click();
    void AllClick(TagField field);
    void ResetClick();
    void OkClick();
    void CancelClick();

    QWidget* m_mainWindow;
    TagEditorHost* m_host = nullptr;
    TagList m_working;
    std::vector<std::string> m_captions;
    int m_returnRow = 0;
    bool m_loading = false; // the window fills its own controls

    QTreeWidget* m_list = nullptr;
    QGroupBox* m_group = nullptr;
    QLineEdit* m_title = nullptr;
    QLineEdit* m_artist = nullptr;
    QLineEdit* m_album = nullptr;
    QLineEdit* m_year = nullptr;
    QComboBox* m_genre = nullptr;
    QPlainTextEdit* m_comment = nullptr;
    std::array<QPushButton*, 6> m_all{};
    QLabel* m_cover = nullptr;
    QPushButton* m_pictureButton = nullptr;
    QPushButton* m_noPictureButton = nullptr;
    std::function<QString(QWidget*)> m_choosePicture;
    std::function<void(QWidget*, const QString&)> m_inform;
    QPushButton* m_reset = nullptr;
    QPushButton* m_ok = nullptr;
    QPushButton* m_cancel = nullptr;
};

} // namespace brisklet::tags::editor
