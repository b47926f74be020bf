// The 55 strings of the extended controls (colour names of a colour picker,
// then brush-style names) in declaration order: id, English default and
// Chinese text (GBK, as every narrow literal here).
#pragma once

#include <cstdint>

namespace velmora::test::loc {

struct ExtendedControlsString {
  std::uint32_t id;
  const char* english;
  const char* chinese;
};

inline constexpr ExtendedControlsString kExtendedControls[] = {
    {65520, "Auto", "自动"},
    {65521, "Custom...", "定制..."},
    {65522, "ScrollBar", "滚动条"},
    {65523, "Background", "背景"},
    {65524, "Active Caption", "动作标题"},
    {65525, "Inactive Caption", "不活动标题"},
    {65526, "Menu", "菜单"},
    {65527, "Window", "窗口"},
    {65528, "Window Frame", "窗口框架"},
    {65529, "Menu Text", "菜单文本"},
    {65530, "Window Text", "窗口文本t"},
    {65531, "Caption Text", "标题文本"},
    {65532, "Active Border", "活动边框"},
    {65533, "Inactive Border", "不活动边框"},
    {65534, "App Workspace", "程序工作空间"},
    {65535, "Highlight", "高亮"},
    {65504, "Highlight Text", "高亮文本"},
    {65505, "Button Face", "按钮表面"},
    {65506, "Button Shadow", "按钮阴影"},
    {65507, "Gray Text", "灰色文本"},
    {65508, "Button Text", "按钮文本"},
    {65509, "Inactive Caption Text", "不活动的标题文本"},
    {65510, "Button Highlight", "按钮高亮"},
    {65511, "3DDk Shadow", "3DDk 阴影"},
    {65512, "3DLight", "3D 明亮"},
    {65513, "Info Text", "信息文本"},
    {65514, "InfoBk", "信息背景"},
    {65515, "Black", "黑"},
    {65516, "Red", "红"},
    {65517, "Lime", "橙"},
    {65518, "Yellow", "黄"},
    {65519, "Green", "绿"},
    {65488, "Teal", "青"},
    {65489, "Aqua", "浅绿"},
    {65490, "Blue", "蓝"},
    {65491, "White", "白"},
    {65492, "Olive", "浅绿"},
    {65493, "Money Green", "黄绿"},
    {65494, "Navy", "藏青"},
    {65495, "Sky Blue", "天蓝"},
    {65496, "Gray", "灰"},
    {65497, "Medium Gray", "中灰"},
    {65498, "Silver", "银"},
    {65499, "Maroon", "茶色"},
    {65500, "Purple", "紫"},
    {65501, "Fuchsia", "紫红"},
    {65502, "Cream", "米色"},
    {65503, "Solid", "固体"},
    {65472, "Clear", "清除"},
    {65473, "Horizontal", "水平"},
    {65474, "Vertical", "垂直"},
    {65475, "FDiagonal", "F斜纹"},
    {65476, "BDiagonal", "B斜纹"},
    {65477, "Cross", "交叉"},
    {65478, "DiagCross", "反交叉"},
};

}  // namespace velmora::test::loc
