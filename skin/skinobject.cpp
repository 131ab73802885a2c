#include "skin/skinobject.h"

#include "skin/skin.h"

#include <algorithm>
#include <utility>

namespace brisklet::skin {

SkinObject::SkinObject(Skin& skin, QString name, ObjectKind kind, QRect rect, ObjectStyle style,
                       QString tip)
    : m_skin(skin), m_name(std::move(name)), m_kind(kind), m_rect(rect), m_drawnRect(rect),
      m_style(std::move(style)), m_tip(std::move(tip))
{
}

void SkinObject::SetRect(int left, int top, int right, int bottom)
{
    m_rect = QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

void SkinObject::Redraw()
{
    m_skin.update(m_drawnRect.united(m_rect));
    m_drawnRect = m_rect;
    m_skin.announceChange(this);
}

int SkinObject::lastPosition() const
{
    return std::max(0, m_max - m_pageSize);
}

void SkinObject::SetMax(int max)
{
    m_max = std::max(0, max);
    m_position = std::clamp(m_position, 0, lastPosition());
}

void SkinObject::SetPageSize(int pageSize)
{
    m_pageSize = std::max(0, pageSize);
    m_position = std::clamp(m_position, 0, lastPosition());
}

void SkinObject::SetPosition(int position)
{
    m_position = std::clamp(position, 0, lastPosition());
}

void SkinObject::SetValue(int value)
{
    m_value = std::clamp(value, 0, 100);
}

} // namespace brisklet::skin
