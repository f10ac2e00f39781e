#include "iconmaker/depth_sort.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

namespace iconmaker {

namespace {

using Point = std::array<double, 3>;  // x, y, depth (scaled to 0..1)

// a·x + b·y + c·depth + d = 0, (a, b, c) of unit length.
struct Plane {
    double a = 0, b = 0, c = 0, d = 0;
    double At(const Point& p) const { return a * p[0] + b * p[1] + c * p[2] + d; }
};

struct Polygon {
    std::vector<Point> points;
    Plane plane;  // the plane of the triangle it was cut from
    Rgb colour;
};

struct Node {
    Plane plane;
    std::vector<Polygon> onPlane;
    int front = -1;  // child nodes, −1 for none
    int back = -1;
};

// Points this near a plane lie on it (coordinates are within 0..1).
constexpr double kOnPlane = 1e-7;
// Candidates tried for each node's splitting plane: the one that cuts the
// fewest polygons is taken.
constexpr size_t kSplitterCandidates = 32;

bool PlaneOf(const std::vector<Point>& p, Plane* plane) {
    double u[3], v[3];
    for (int i = 0; i < 3; ++i) {
        u[i] = p[1][i] - p[0][i];
        v[i] = p[2][i] - p[0][i];
    }
    double n[3] = {u[1] * v[2] - u[2] * v[1], u[2] * v[0] - u[0] * v[2], u[0] * v[1] - u[1] * v[0]};
    double length = std::sqrt(n[0] * n[0] + n[1] * n[1] + n[2] * n[2]);
    if (!(length > 0.0) || !std::isfinite(length)) return false;
    plane->a = n[0] / length;
    plane->b = n[1] / length;
    plane->c = n[2] / length;
    plane->d = -(plane->a * p[0][0] + plane->b * p[0][1] + plane->c * p[0][2]);
    return true;
}

enum class Side { Front, Back, On, Both };

Side SideOf(const Polygon& polygon, const Plane& plane) {
    bool front = false, back = false;
    for (const Point& p : polygon.points) {
        double distance = plane.At(p);
        front = front || distance > kOnPlane;
        back = back || distance < -kOnPlane;
    }
    if (front && back) return Side::Both;
    return front ? Side::Front : back ? Side::Back : Side::On;
}

// The parts of a polygon on either side of a plane it crosses.
void Split(const Polygon& polygon, const Plane& plane, Polygon* front, Polygon* back) {
    front->plane = back->plane = polygon.plane;
    front->colour = back->colour = polygon.colour;
    const size_t count = polygon.points.size();
    for (size_t i = 0; i < count; ++i) {
        const Point& p = polygon.points[i];
        const Point& q = polygon.points[(i + 1) % count];
        double dp = plane.At(p), dq = plane.At(q);
        if (dp >= -kOnPlane) front->points.push_back(p);
        if (dp <= kOnPlane) back->points.push_back(p);
        if ((dp > kOnPlane && dq < -kOnPlane) || (dp < -kOnPlane && dq > kOnPlane)) {
            double t = dp / (dp - dq);
            Point cut = {p[0] + t * (q[0] - p[0]), p[1] + t * (q[1] - p[1]),
                         p[2] + t * (q[2] - p[2])};
            front->points.push_back(cut);
            back->points.push_back(cut);
        }
    }
}

// Of a few polygons spread over the list, the one whose plane cuts fewest.
size_t ChooseSplitter(const std::vector<Polygon>& polygons) {
    size_t step = std::max<size_t>(1, polygons.size() / kSplitterCandidates);
    size_t best = 0, bestCuts = SIZE_MAX;
    for (size_t candidate = 0; candidate < polygons.size(); candidate += step) {
        size_t cuts = 0;
        for (const Polygon& other : polygons) {
            if (SideOf(other, polygons[candidate].plane) == Side::Both && ++cuts >= bestCuts) break;
        }
        if (cuts < bestCuts) {
            best = candidate;
            bestCuts = cuts;
        }
    }
    return best;
}

}  // namespace

std::vector<FlatPolygon> BackToFront(const std::vector<FlatTriangle>& triangles,
                                     const std::vector<int>& shown) {
    // Depth scaled to 0..1 like x and y, so one tolerance fits all three.
    float nearest = INFINITY, farthest = -INFINITY;
    for (int t : shown) {
        if (t < 0 || size_t(t) >= triangles.size()) continue;
        for (float depth : triangles[size_t(t)].depth) {
            nearest = std::min(nearest, depth);
            farthest = std::max(farthest, depth);
        }
    }
    double depthScale = farthest > nearest ? 1.0 / (double(farthest) - double(nearest)) : 1.0;
    std::vector<Polygon> polygons;
    for (int t : shown) {
        if (t < 0 || size_t(t) >= triangles.size()) continue;
        const FlatTriangle& flat = triangles[size_t(t)];
        Polygon polygon;
        polygon.colour = flat.colour;
        for (int k = 0; k < 3; ++k)
            polygon.points.push_back(
                {flat.x[k], flat.y[k], (double(flat.depth[k]) - double(nearest)) * depthScale});
        if (PlaneOf(polygon.points, &polygon.plane)) polygons.push_back(std::move(polygon));
    }

    // The tree, built without recursion: each pending entry is a node's
    // index and the polygons that fall to it.
    const size_t maxPieces = kMaxPiecesPerTriangle * polygons.size();
    size_t pieces = polygons.size();
    std::vector<Node> nodes;
    std::vector<std::pair<int, std::vector<Polygon>>> pending;
    if (!polygons.empty()) {
        nodes.emplace_back();
        pending.emplace_back(0, std::move(polygons));
    }
    while (!pending.empty()) {
        auto [index, list] = std::move(pending.back());
        pending.pop_back();
        size_t splitter = ChooseSplitter(list);
        Plane plane = list[splitter].plane;
        std::vector<Polygon> front, back, on;
        for (Polygon& polygon : list) {
            switch (SideOf(polygon, plane)) {
            case Side::Front: front.push_back(std::move(polygon)); break;
            case Side::Back: back.push_back(std::move(polygon)); break;
            case Side::On: on.push_back(std::move(polygon)); break;
            case Side::Both: {
                Polygon frontPart, backPart;
                Split(polygon, plane, &frontPart, &backPart);
                if (frontPart.points.size() >= 3) front.push_back(std::move(frontPart));
                if (backPart.points.size() >= 3) back.push_back(std::move(backPart));
                if (++pieces > maxPieces) return {};
                break;
            }
            }
        }
        nodes[size_t(index)].plane = plane;
        nodes[size_t(index)].onPlane = std::move(on);
        if (!front.empty()) {
            nodes[size_t(index)].front = int(nodes.size());
            nodes.emplace_back();
            pending.emplace_back(int(nodes.size()) - 1, std::move(front));
        }
        if (!back.empty()) {
            nodes[size_t(index)].back = int(nodes.size());
            nodes.emplace_back();
            pending.emplace_back(int(nodes.size()) - 1, std::move(back));
        }
    }

    // Far side, the node's own polygons, near side. The camera looks along
    // +depth from far away: it is on a plane's front side when c < 0.
    std::vector<FlatPolygon> ordered;
    struct Visit {
        int node;
        bool expanded;
    };
    std::vector<Visit> stack;
    if (!nodes.empty()) stack.push_back({0, false});
    while (!stack.empty()) {
        Visit visit = stack.back();
        stack.pop_back();
        const Node& node = nodes[size_t(visit.node)];
        bool cameraInFront = node.plane.c < 0.0;
        int farChild = cameraInFront ? node.back : node.front;
        int nearChild = cameraInFront ? node.front : node.back;
        if (visit.expanded) {
            for (const Polygon& polygon : node.onPlane) {
                FlatPolygon flat;
                flat.colour = polygon.colour;
                for (const Point& p : polygon.points) {
                    flat.x.push_back(float(p[0]));
                    flat.y.push_back(float(p[1]));
                }
                ordered.push_back(std::move(flat));
            }
            continue;
        }
        // Popped in reverse: far child, this node's polygons, near child.
        if (nearChild >= 0) stack.push_back({nearChild, false});
        stack.push_back({visit.node, true});
        if (farChild >= 0) stack.push_back({farChild, false});
    }
    return ordered;
}

}  // namespace iconmaker
