#include "UI/glwidget.h"

#include "Core/selection.h"
#include "Core/workspace.h"
#include "Model/Display/gl.h"
#include "Model/Display/scenepainter.h"
#include "Model/Surfaces/colorscale.h"
#include "Model/Surfaces/fieldpainter.h"
#include "Model/Surfaces/shownsurfaces.h"
#include "Model/Volume/totalvolume.h"
#include "UI/viewfit.h"
#include "Util/safefile.h"
#include "Util/vector4d.h"

#include <QApplication>
#include <QDebug>
#include <QFileInfo>
#include <QImageWriter>
#include <QMouseEvent>
#include <QOpenGLContext>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>

namespace Ui {

namespace {

const char logSource[] = "UI/glwidget";

// Orthographic views have no eye position; this distance puts the sorting eye outside any scene.
constexpr double eyeDistance = 1.0e6;

Util::Vector4D viewColor(unsigned role) { return Util::ColorTable::entry(role, Util::ColorTable::currentScheme()); }

} // namespace

GLWidget::GLWidget(Core::Workspace &workspace, QWidget *parent)
    : QOpenGLWidget(parent)
    , m_workspace(workspace)
{
    QSurfaceFormat format;
    format.setRenderableType(QSurfaceFormat::OpenGL);
    format.setProfile(QSurfaceFormat::CompatibilityProfile);
    format.setVersion(2, 1);
    format.setSwapBehavior(QSurfaceFormat::DoubleBuffer);
    format.setRedBufferSize(8);
    format.setGreenBufferSize(8);
    format.setBlueBufferSize(8);
    format.setAlphaBufferSize(8);
    format.setDepthBufferSize(24);
    format.setStencilBufferSize(0);
    format.setSamples(0);
    format.setStereo(false);
    setFormat(format);
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    m_camera.setRotation(-60, 0, 30);
    m_sceneEmpty = m_workspace.document().allObjects().isEmpty();
    // The view shows the workspace's volumes: from now on their surfaces are built for it.
    if (!m_workspace.shownSurfaces())
        m_workspace.setShownSurfaces(std::make_shared<Model::Surfaces::ShownSurfaces>());
    m_surfaces = m_workspace.sharedShownSurfaces();
}

GLWidget::~GLWidget() = default;

double GLWidget::wheelFactor(int delta) { return delta >= 1 ? 1.0 + delta / 1200.0 : 1.0 / (1.0 - delta / 1200.0); }

void GLWidget::setShowAxes(bool on)
{
    m_showAxes = on;
    update();
}

void GLWidget::setShowLamps(bool on)
{
    m_showLamps = on;
    update();
}

void GLWidget::setGridSpacing(double spacing)
{
    if (spacing > 0)
        m_gridSpacing = spacing;
    update();
}

void GLWidget::setZoom(double zoom)
{
    if (zoom > 0 && std::isfinite(zoom))
        m_zoom = zoom;
    m_mouse.setScale(m_zoom);
    update();
}

void GLWidget::setView(int rx, int ry, int rz)
{
    m_camera.setRotation(rx, ry, rz);
    update();
}

void GLWidget::setStandardView(const QString &name)
{
    static const struct {
        const char *name;
        int rx, ry, rz;
    } views[] = {{"front", -90, 0, 0},   {"back", -90, 0, 180}, {"left", -90, 0, 90},
                 {"right", -90, 0, -90}, {"top", 0, 0, 0},      {"bottom", 180, 0, 0}};
    for (const auto &view : views) {
        if (name == QLatin1String(view.name)) {
            setView(view.rx, view.ry, view.rz);
            emit rotationChanged(m_camera.rotationX(), m_camera.rotationY(), m_camera.rotationZ());
            return;
        }
    }
}

void GLWidget::setViewPosition(double vx, double vy)
{
    m_camera.setViewPosition(vx, vy);
    update();
}

void GLWidget::setAxisPosition(double ax, double ay, double az)
{
    m_camera.setAxisPosition(QVector3D(float(ax), float(ay), float(az)));
    update();
}

void GLWidget::lampsChanged() { update(); }

void GLWidget::moveAxis(double dx, double dy, double dz)
{
    m_camera.setAxisPosition(m_camera.axisPosition() + QVector3D(float(dx), float(dy), float(dz)));
    update();
    const QVector3D a = m_camera.axisPosition();
    emit axisPositionChanged(a.x(), a.y(), a.z());
}

void GLWidget::swithActiveLamp()
{
    m_lamps.switchActive();
    update();
    emitLampPosition();
}

void GLWidget::emitLampPosition()
{
    const int n = m_lamps.active();
    const auto lamp = m_lamps.lamp(n);
    emit lampPositionChanged(n, lamp.radius, lamp.theta, lamp.phi);
}

void GLWidget::sceneChanged()
{
    const bool empty = m_workspace.document().allObjects().isEmpty();
    if (m_sceneEmpty && !empty)
        fitToVolumes();
    m_sceneEmpty = empty;
    update();
}

bool GLWidget::fitToVolumes()
{
    if (!ViewFit::sceneExtent(m_workspace.document()))
        return false;
    if (isVisible()) {
        applyFit();
        update();
    } else {
        m_fitPending = true;
    }
    return true;
}

bool GLWidget::applyFit()
{
    const auto fit = ViewFit::toScene(m_workspace.document(), m_camera.rotationMatrix(), width(), height());
    if (!fit)
        return false;
    m_camera.setAxisPosition(fit->axisPosition);
    m_camera.setViewPosition(0, 0);
    m_zoom = fit->zoom;
    m_mouse.setScale(m_zoom);
    emit axisPositionChanged(fit->axisPosition.x(), fit->axisPosition.y(), fit->axisPosition.z());
    emit zoomChanged(m_zoom * 100.0);
    return true;
}

void GLWidget::setLegend(const std::vector<std::array<float, 4>> &colors, float minimum, float maximum,
                         const QString &quantity, const QString &unit)
{
    m_legendColors = colors;
    m_legendMin = minimum;
    m_legendMax = maximum;
    m_legendQuantity = quantity;
    m_legendUnit = unit;
    m_legendFromScene = colors.empty();
    update();
}

void GLWidget::updateLegendFromScene()
{
    if (!m_legendFromScene)
        return;
    for (const auto &object : m_workspace.document().allObjects()) {
        auto volume = std::dynamic_pointer_cast<Model::Automaton::TotalVolume>(object);
        if (!volume || volume->view().surfaceAlgorithm() != Model::Automaton::SurfaceAlgorithm::ParticleCountField)
            continue;
        const Model::Automaton::ColorScale scale = m_surfaces->of(volume)->fieldPainter().colorScale();
        m_legendColors.assign(scale.table().begin(), scale.table().end());
        m_legendMin = scale.minimum();
        m_legendMax = scale.maximum();
        m_legendQuantity = Model::Automaton::FieldPainter::quantityName(volume->view().particleDistribution());
        m_legendUnit = Model::Automaton::FieldPainter::unit(volume->view().particleDistribution());
        return;
    }
    m_legendColors.clear();
}

Util::Vector3D GLWidget::eyePoint() const
{
    // The viewing direction towards the viewer, in scene coordinates.
    bool invertible = false;
    const QMatrix4x4 inverse = m_camera.modelView().inverted(&invertible);
    const QVector3D d = (inverse.map(QVector3D(0, 0, 1)) - inverse.map(QVector3D(0, 0, 0))).normalized();
    return Util::Vector3D(d.x() * eyeDistance, d.y() * eyeDistance, d.z() * eyeDistance);
}

void GLWidget::setUpState()
{
    glShadeModel(GL_SMOOTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE_MINUS_SRC_ALPHA);
    glEnable(GL_DEPTH_TEST);
    glDepthMask(GL_TRUE);
    glEnable(GL_CULL_FACE);
    glCullFace(GL_BACK);
    glDisable(GL_BLEND);
    // The lamps' own ambient stays 0: the light model's ambient is the only one, whatever the
    // number of lamps. Diffuse and specular shares follow the lit lamps (applyLamps).
    const GLfloat white[4] = {1.0f, 1.0f, 1.0f, 1.0f};
    const GLfloat black[4] = {0.0f, 0.0f, 0.0f, 1.0f};
    for (GLenum light = GL_LIGHT0; light <= GL_LIGHT7; ++light)
        glLightfv(light, GL_AMBIENT, black);
    const LampSet::Tone tone = LampSet::tone(1);
    glMaterialfv(GL_FRONT, GL_SPECULAR, white);
    glMaterialfv(GL_FRONT, GL_EMISSION, black);
    glColorMaterial(GL_FRONT, GL_AMBIENT_AND_DIFFUSE);
    glMaterialf(GL_FRONT_AND_BACK, GL_SHININESS, tone.shininess);
    glEnable(GL_COLOR_MATERIAL);
    const GLfloat modelAmbient[4] = {tone.ambient, tone.ambient, tone.ambient, 1.0f};
    glLightModelfv(GL_LIGHT_MODEL_AMBIENT, modelAmbient);
    m_stateDirty = false;
}

void GLWidget::initializeGL()
{
    const QSurfaceFormat got = context()->format();
    if (got.swapBehavior() != QSurfaceFormat::DoubleBuffer)
        qWarning() << logSource << Q_FUNC_INFO << "Could not get double buffer; results will be suboptimal";
    if (got.alphaBufferSize() <= 0)
        qWarning() << logSource << Q_FUNC_INFO << "Could not get alpha channel; results will be suboptimal";
    if (got.depthBufferSize() <= 0)
        qWarning() << logSource << Q_FUNC_INFO << "Could not get depth buffer; results will be suboptimal";
    if (got.redBufferSize() <= 0 || got.greenBufferSize() <= 0 || got.blueBufferSize() <= 0)
        qWarning() << logSource << Q_FUNC_INFO << "Could not get rgba mode; results will be suboptimal";
    // A QOpenGLWidget context is always a direct one; there is nothing to check for indirect rendering.
    setUpState();
    applyLamps();
    glEnable(GL_LIGHT0);
}

void GLWidget::resizeGL(int width, int height)
{
    m_width = std::max(1, width);
    m_height = std::max(1, height);
    m_mouse.setViewport(m_width, m_height);
    m_mouse.setSphereRadius(std::sqrt(double(m_width) * m_width + double(m_height) * m_height) / 2.0);
    m_mouse.setScale(m_zoom);
    m_gridMin[0] = m_gridMin[1] = -300;
    m_gridMax[0] = m_gridMax[1] = 300;
}

void GLWidget::applyProjection()
{
    const qreal ratio = devicePixelRatioF();
    glViewport(0, 0, GLsizei(m_width * ratio), GLsizei(m_height * ratio));
    const double depth = ViewFit::depthExtent(m_width, m_height);
    // The depth reaches at least as far as the scene, so that zooming in never cuts into it.
    double nearPlane = -depth / (2 * m_zoom);
    double farPlane = depth / (2 * m_zoom);
    std::vector<Model::Extent> shown;
    const QVector3D axes = -m_camera.axisPosition();
    if (m_showAxes)
        shown.push_back({Util::Vector3D(axes.x(), axes.y(), axes.z()),
                         Util::Vector3D(axes.x() + 50.0, axes.y() + 50.0, axes.z() + 50.0)});
    if (m_renderGrid)
        shown.push_back(
            {Util::Vector3D(m_gridMin[0], m_gridMin[1], m_gridZ), Util::Vector3D(m_gridMax[0], m_gridMax[1], m_gridZ)});
    if (const auto planes = ViewFit::clipPlanes(m_workspace.document(), m_camera.modelView(), shown)) {
        nearPlane = std::min(nearPlane, planes->first);
        farPlane = std::max(farPlane, planes->second);
    }
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glOrtho(-m_width / (2 * m_zoom), m_width / (2 * m_zoom), -m_height / (2 * m_zoom), m_height / (2 * m_zoom),
            nearPlane, farPlane);
    glMatrixMode(GL_MODELVIEW);
}

void GLWidget::applyLamps()
{
    // With an identity model-view the lamps stay where they are relative to the viewer.
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    const LampSet::Tone tone = LampSet::tone(m_lamps.litCount());
    const GLfloat diffuse[4] = {tone.diffuse, tone.diffuse, tone.diffuse, 1.0f};
    const GLfloat specular[4] = {tone.specular, tone.specular, tone.specular, 1.0f};
    for (int n = 1; n <= LampSet::maximum; ++n) {
        const GLenum light = GL_LIGHT0 + GLenum(n - 1);
        const auto lamp = m_lamps.lamp(n);
        if (n <= m_lamps.count() && lamp.enabled) {
            glLightfv(light, GL_DIFFUSE, diffuse);
            glLightfv(light, GL_SPECULAR, specular);
            glLightfv(light, GL_POSITION, lamp.position.data());
            glEnable(light);
        } else {
            glDisable(light);
        }
    }
    glPopMatrix();
}

void GLWidget::paintGL()
{
    if (m_stateDirty)
        setUpState();
    // A scene framed before the view was on screen is framed now, at the size it is shown in.
    if (m_fitPending) {
        m_fitPending = false;
        applyFit();
    }
    const Util::Vector4D background = viewColor(Util::ColorTable::BackgroundColor);
    glClearColor(float(background.x), float(background.y), float(background.z), 0.0f);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);

    applyProjection();
    applyLamps();
    if (m_lighting)
        glEnable(GL_LIGHTING);
    else
        glDisable(GL_LIGHTING);

    glLoadMatrixf(m_camera.modelView().constData());
    if (m_renderGrid)
        drawGrid();

    Model::Display::ScenePainter(m_workspace.document(), *m_surfaces)
        .draw(m_renderObjects, m_renderObjectEdges, eyePoint());

    if (m_showAxes)
        drawAxes();
    if (m_showLamps)
        drawLampMarkers();
    updateLegendFromScene();
    drawLegend();
}

void GLWidget::drawGrid()
{
    const double s = m_gridSpacing;
    const Util::Vector4D color = viewColor(Util::ColorTable::GridColor);
    glPushAttrib(GL_ENABLE_BIT | GL_DEPTH_BUFFER_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDepthMask(GL_FALSE);
    glColor4d(color.x, color.y, color.z, color.w);
    const double x0 = std::floor(m_gridMin[0] / s) * s;
    const double y0 = std::floor(m_gridMin[1] / s) * s;
    const double x1 = std::ceil(m_gridMax[0] / s) * s;
    const double y1 = std::ceil(m_gridMax[1] / s) * s;
    const int nx = int(std::ceil((m_gridMax[0] - m_gridMin[0]) / s));
    const int ny = int(std::ceil((m_gridMax[1] - m_gridMin[1]) / s));
    glBegin(GL_LINES);
    for (int i = 0; i <= nx; ++i) {
        glVertex3d(x0 + i * s, y0, m_gridZ);
        glVertex3d(x0 + i * s, y1, m_gridZ);
    }
    for (int i = 0; i <= ny; ++i) {
        glVertex3d(x0, y0 + i * s, m_gridZ);
        glVertex3d(x1, y0 + i * s, m_gridZ);
    }
    glEnd();
    glPopAttrib();
}

void GLWidget::drawAxes()
{
    const QVector3D a = m_camera.axisPosition();
    glPushMatrix();
    glTranslatef(-a.x(), -a.y(), -a.z());
    glDisable(GL_LIGHTING);
    glLineWidth(2.0f);
    glBegin(GL_LINES);
    glColor3f(1, 0, 0);
    glVertex3f(0, 0, 0), glVertex3f(50, 0, 0);
    glVertex3f(50, 0, 0), glVertex3f(45, 0, 5);
    glVertex3f(50, 0, 0), glVertex3f(45, 0, -5);
    glColor3f(0, 1, 0);
    glVertex3f(0, 0, 0), glVertex3f(0, 50, 0);
    glVertex3f(0, 50, 0), glVertex3f(0, 45, 5);
    glVertex3f(0, 50, 0), glVertex3f(0, 45, -5);
    glColor3f(0, 0, 1);
    glVertex3f(0, 0, 0), glVertex3f(0, 0, 50);
    glVertex3f(0, 0, 50), glVertex3f(0, 5, 45);
    glVertex3f(0, 0, 50), glVertex3f(0, -5, 45);
    glEnd();
    glLineWidth(1.0f);
    if (m_lighting)
        glEnable(GL_LIGHTING);
    glPopMatrix();
}

void GLWidget::drawLampMarkers()
{
    glPushAttrib(GL_ENABLE_BIT | GL_LINE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    for (int n = 1; n <= m_lamps.count(); ++n) {
        const auto lamp = m_lamps.lamp(n);
        const float *p = lamp.position.data();
        if (n == m_lamps.active())
            glColor3f(1, 1, 0);
        else
            glColor3f(1, 1, 1);
        const float radius = 6.0f / float(m_zoom);
        glBegin(GL_LINE_LOOP);
        for (int i = 0; i < 24; ++i) {
            const double a = 2 * M_PI * i / 24;
            glVertex3f(p[0] + radius * float(std::cos(a)), p[1] + radius * float(std::sin(a)), p[2]);
        }
        glEnd();
        glBegin(GL_LINES);
        for (int i = 0; i < 8; ++i) {
            const double a = 2 * M_PI * i / 8;
            glVertex3f(p[0] + 1.5f * radius * float(std::cos(a)), p[1] + 1.5f * radius * float(std::sin(a)), p[2]);
            glVertex3f(p[0] + 2.5f * radius * float(std::cos(a)), p[1] + 2.5f * radius * float(std::sin(a)), p[2]);
        }
        glEnd();
        glEnable(GL_LINE_STIPPLE);
        glLineStipple(8, 0xAAAA);
        glBegin(GL_LINES);
        glVertex3f(0, 0, 0);
        glVertex3f(p[0], p[1], p[2]);
        glEnd();
        glDisable(GL_LINE_STIPPLE);
    }
    glPopMatrix();
    glPopAttrib();
}

void GLWidget::drawLegend()
{
    if (m_legendColors.empty())
        return;
    const Util::Vector4D outline = viewColor(Util::ColorTable::DefaultObjectOutlineColor);
    const QFont numberFont(QStringLiteral("Courier New"), 12);
    const QFont headFont = font();
    const QFontMetrics numbers(numberFont);
    const QFontMetrics head(headFont);
    const int headLines = (m_legendQuantity.isEmpty() ? 0 : 1) + (m_legendUnit.isEmpty() ? 0 : 1);
    // A vertical bar at the right edge, a tenth of the height from top and bottom, with room above
    // it for the quantity and its unit.
    const float left = float(m_width) - 50.0f;
    const float right = float(m_width) - 30.0f;
    const float bottom = float(m_height) * 0.1f;
    const float top = std::min(float(m_height) * 0.9f, float(m_height - headLines * head.lineSpacing() - 8));
    const size_t n = m_legendColors.size();

    glPushAttrib(GL_ENABLE_BIT | GL_CURRENT_BIT);
    glDisable(GL_LIGHTING);
    glDisable(GL_DEPTH_TEST);
    glMatrixMode(GL_PROJECTION);
    glPushMatrix();
    glLoadIdentity();
    glOrtho(0, m_width, 0, m_height, 10, -10);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    glLoadIdentity();
    glBegin(GL_QUADS);
    for (size_t i = 0; i < n; ++i) {
        const auto &c = m_legendColors[i];
        const float y0 = bottom + (top - bottom) * float(i) / float(n);
        const float y1 = bottom + (top - bottom) * float(i + 1) / float(n);
        glColor4f(c[0], c[1], c[2], c[3]);
        glVertex2f(left, y0), glVertex2f(right, y0), glVertex2f(right, y1), glVertex2f(left, y1);
    }
    glEnd();
    glColor3d(outline.x, outline.y, outline.z);
    glBegin(GL_LINE_LOOP);
    glVertex2f(left, bottom), glVertex2f(right, bottom), glVertex2f(right, top), glVertex2f(left, top);
    glEnd();
    glPopMatrix();
    glMatrixMode(GL_PROJECTION);
    glPopMatrix();
    glMatrixMode(GL_MODELVIEW);
    glPopAttrib();

    // The labels go through QPainter, which changes GL state behind our back: set it up again next frame.
    QPainter painter(this);
    painter.setPen(QColor::fromRgbF(outline.x, outline.y, outline.z));
    painter.setFont(numberFont);
    const float length = top - bottom;
    const QString low = Model::Automaton::ColorScale::valueText(double(m_legendMin));
    const QString high = Model::Automaton::ColorScale::valueText(double(m_legendMax));
    painter.drawText(QPointF(left - 8 - numbers.horizontalAdvance(low), m_height - (bottom + 0.05f * length)), low);
    painter.drawText(QPointF(left - 8 - numbers.horizontalAdvance(high), m_height - (bottom + 0.95f * length)), high);
    // The quantity and its unit above the bar, ending at its right side.
    painter.setFont(headFont);
    const int room = std::max(1, int(right) - 4);
    float baseline = float(m_height) - top - 6 - float(head.descent());
    for (const QString &line : {m_legendUnit, m_legendQuantity}) {
        if (line.isEmpty())
            continue;
        const QString shown = head.elidedText(line, Qt::ElideLeft, room);
        painter.drawText(QPointF(right - head.horizontalAdvance(shown), baseline), shown);
        baseline -= float(head.lineSpacing());
    }
    painter.end();
    m_stateDirty = true;
}

void GLWidget::mousePressEvent(QMouseEvent *event)
{
    m_pressed = true;
    m_pressPosition = event->pos();
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const int x = event->pos().x();
    const int y = event->pos().y();
    m_mouse.setScale(m_zoom);
    if (event->button() == Qt::LeftButton && shift) {
        m_mouse.setFirtPosition(x, y, MouseHandler::Lamp);
        double phi = 0;
        double theta = 0;
        m_mouse.lampAngles(phi, theta);
        const int n = m_lamps.active();
        m_lamps.setPolar(n, m_lamps.lamp(n).radius, theta, phi);
        update();
        emitLampPosition();
    } else if (event->button() == Qt::RightButton && shift) {
        m_mouse.setFirtPosition(x, y, MouseHandler::Translation);
        const QVector3D a = m_camera.axisPosition();
        emit axisPositionChanged(a.x(), a.y(), a.z());
    } else if (event->button() == Qt::LeftButton) {
        m_clicked = true;
        m_mouse.setFirtPosition(x, y, MouseHandler::Rotation);
        emit rotationChanged(m_camera.rotationX(), m_camera.rotationY(), m_camera.rotationZ());
    } else if (event->button() == Qt::RightButton) {
        m_mouse.setFirtPosition(x, y, MouseHandler::Translation);
        emit viewPositionChanged(m_camera.viewX(), m_camera.viewY());
    }
}

void GLWidget::mouseMoveEvent(QMouseEvent *event)
{
    // A hand that trembles during a click has not dragged yet.
    if ((event->pos() - m_pressPosition).manhattanLength() >= QApplication::startDragDistance())
        m_clicked = false;
    if (!m_pressed)
        return;
    const bool shift = event->modifiers() & Qt::ShiftModifier;
    const Qt::MouseButtons buttons = event->buttons();
    m_mouse.setPosition(event->pos().x(), event->pos().y());
    if ((buttons & Qt::LeftButton) && m_mouse.type() == MouseHandler::Lamp && shift) {
        double phi = 0;
        double theta = 0;
        m_mouse.lampAngles(phi, theta);
        const int n = m_lamps.active();
        m_lamps.setPolar(n, m_lamps.lamp(n).radius, theta, phi);
        emitLampPosition();
    } else if ((buttons & Qt::RightButton) && shift && m_mouse.type() == MouseHandler::Translation) {
        double dx = 0;
        double dy = 0;
        m_mouse.translation(dx, dy);
        m_camera.moveAxisAlongScreen(dx, dy);
        const QVector3D a = m_camera.axisPosition();
        emit axisPositionChanged(a.x(), a.y(), a.z());
    } else if ((buttons & Qt::LeftButton) && m_mouse.type() == MouseHandler::Rotation) {
        QVector3D axis;
        double degrees = 0;
        if (m_mouse.rotation(axis, degrees))
            m_camera.rotate(2.0 * degrees, axis);
        emit rotationChanged(m_camera.rotationX(), m_camera.rotationY(), m_camera.rotationZ());
    } else if ((buttons & Qt::RightButton) && m_mouse.type() == MouseHandler::Translation) {
        double dx = 0;
        double dy = 0;
        m_mouse.translation(dx, dy);
        m_camera.setViewPosition(m_camera.viewX() + dx, m_camera.viewY() + dy);
        emit viewPositionChanged(m_camera.viewX(), m_camera.viewY());
    } else {
        return;
    }
    update();
}

void GLWidget::mouseReleaseEvent(QMouseEvent *event)
{
    m_pressed = false;
    if (m_clicked && event->button() == Qt::LeftButton && m_workspace.selection().isSelectionMode())
        pick(event->pos().x(), event->pos().y());
    m_clicked = false;
}

void GLWidget::pick(int x, int y)
{
    makeCurrent();
    applyProjection();
    glLoadMatrixf(m_camera.modelView().constData());
    const qreal ratio = devicePixelRatioF();
    Core::Selection &selection = m_workspace.selection();
    const auto names =
        selection.isSelectionMode()
            ? Model::Display::ScenePainter(m_workspace.document(), *m_surfaces).pick(int(x * ratio), int(y * ratio))
            : std::nullopt;
    const bool hit = selection.pick(names);
    doneCurrent();
    if (hit)
        update();
}

void GLWidget::wheelEvent(QWheelEvent *event)
{
    // With Shift held some platforms report the turn as horizontal.
    const int delta = event->angleDelta().y() != 0 ? event->angleDelta().y() : event->angleDelta().x();
    if (delta == 0)
        return;
    const double f = wheelFactor(delta);
    if (event->modifiers() & Qt::ShiftModifier) {
        const int n = m_lamps.active();
        const auto lamp = m_lamps.lamp(n);
        m_lamps.setPolar(n, LampSet::wheelRadius(lamp.radius, delta > 0, f), lamp.theta, lamp.phi);
        emitLampPosition();
    } else {
        m_zoom *= f;
        m_mouse.setScale(m_zoom);
        emit zoomChanged(m_zoom * 100.0);
    }
    update();
    event->accept();
}

QImage GLWidget::frontBuffer() { return grabFramebuffer(); }

bool GLWidget::saveImage(const QString &fileName, QString *error)
{
    const QString suffix = QFileInfo(fileName).suffix().toLower();
    const QByteArray format = suffix == QLatin1String("jpeg") ? QByteArray("jpg") : suffix.toLatin1();
    if (format != "png" && format != "xpm" && format != "jpg") {
        if (error)
            *error = tr("Cannot save \"%1\": the name must end in .png, .xpm or .jpg.").arg(fileName);
        return false;
    }
    const QImage image = frontBuffer();
    QString reason;
    if (!Util::saveImageFile(image, fileName, format, &reason)) {
        if (error)
            *error = tr("Cannot save the image to \"%1\": %2").arg(fileName, reason);
        return false;
    }
    return true;
}

} // namespace Ui
