<?xml version="1.0" encoding="utf-8"?>
<!DOCTYPE TS>
<TS version="2.1" language="zh_CN">
<context>
    <name>AboutDialog</name>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Software Version:</source>
        <translation>软件版本：</translation>
    </message>
    <message>
        <source>Firmware Version:</source>
        <translation>固件版本：</translation>
    </message>
    <message>
        <source>Close(&amp;C)</source>
        <translation>关闭(&amp;C)</translation>
    </message>
    <message>
        <source>Industrial Camera Tool
</source>
        <translation>工业相机工具
</translation>
    </message>
    <message>
        <source>Licensed to its users under the MIT License.</source>
        <translation>本软件依据 MIT 许可证授权用户使用。</translation>
    </message>
</context>
<context>
    <name>DockMessage</name>
    <message>
        <source>Message Log</source>
        <translation>消息日志</translation>
    </message>
    <message>
        <source>Clear all messages</source>
        <translation>清除所有消息</translation>
    </message>
</context>
<context>
    <name>DockPreview</name>
    <message>
        <source>Preview</source>
        <translation>预览</translation>
    </message>
    <message>
        <source>The picture %1 no longer exists.</source>
        <translation>图片 %1 已不存在。</translation>
    </message>
    <message>
        <source>No application opened %1.</source>
        <translation>没有应用程序打开 %1。</translation>
    </message>
    <message>
        <source>No file manager showed %1.</source>
        <translation>没有文件管理器显示 %1。</translation>
    </message>
    <message>
        <source>View the picutre</source>
        <translation>查看图片</translation>
    </message>
    <message>
        <source>Open the file location...</source>
        <translation>打开文件所在位置...</translation>
    </message>
    <message>
        <source>Remove</source>
        <translation>移除</translation>
    </message>
</context>
<context>
    <name>MainWindow</name>
    <message>
        <source>vidScope</source>
        <translation>vidScope</translation>
    </message>
    <message>
        <source>&amp;File</source>
        <translation>文件(&amp;F)</translation>
    </message>
    <message>
        <source>&amp;Tools</source>
        <translation>工具(&amp;T)</translation>
    </message>
    <message>
        <source>&amp;View</source>
        <translation>视图(&amp;V)</translation>
    </message>
    <message>
        <source>&amp;Image</source>
        <translation>图像(&amp;I)</translation>
    </message>
    <message>
        <source>&amp;Measure</source>
        <translation>测量(&amp;M)</translation>
    </message>
    <message>
        <source>&amp;Capture</source>
        <translation>采集(&amp;C)</translation>
    </message>
    <message>
        <source>&amp;Language</source>
        <translation>语言(&amp;L)</translation>
    </message>
    <message>
        <source>&amp;Help</source>
        <translation>帮助(&amp;H)</translation>
    </message>
    <message>
        <source>Setting</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>toolBar</source>
        <translation>工具栏</translation>
    </message>
    <message>
        <source>toolBar_2</source>
        <translation>测量工具栏</translation>
    </message>
    <message>
        <source>&amp;Play</source>
        <translation>播放(&amp;P)</translation>
    </message>
    <message>
        <source>Pa&amp;use</source>
        <translation>暂停(&amp;U)</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>保存(&amp;S)</translation>
    </message>
    <message>
        <source>Exit</source>
        <translation>退出</translation>
    </message>
    <message>
        <source>Zoom In</source>
        <translation>放大</translation>
    </message>
    <message>
        <source>Zoom Out</source>
        <translation>缩小</translation>
    </message>
    <message>
        <source>Reset</source>
        <translation>复位</translation>
    </message>
    <message>
        <source>&amp;Setting</source>
        <translation>设置(&amp;S)</translation>
    </message>
    <message>
        <source>English&lt;-&gt;Chinese</source>
        <translation>英文&lt;-&gt;中文</translation>
    </message>
    <message>
        <source>About</source>
        <translation>关于</translation>
    </message>
    <message>
        <source>Histogram</source>
        <translation>直方图</translation>
    </message>
    <message>
        <source>R/W Register</source>
        <translation>读写寄存器</translation>
    </message>
    <message>
        <source>Help vidScope</source>
        <translation>vidScope 帮助</translation>
    </message>
    <message>
        <source>IO Control</source>
        <translation>IO 控制</translation>
    </message>
    <message>
        <source>Fit Screen</source>
        <translation>适合屏幕</translation>
    </message>
    <message>
        <source>Measure On/Off(&amp;M)</source>
        <translation>清除测量(&amp;M)</translation>
    </message>
    <message>
        <source>Calibration(&amp;B)</source>
        <translation>标定(&amp;B)</translation>
    </message>
    <message>
        <source>AxesX(&amp;X)</source>
        <translation>水平线(&amp;X)</translation>
    </message>
    <message>
        <source>AxesY(&amp;Y)</source>
        <translation>垂直线(&amp;Y)</translation>
    </message>
    <message>
        <source>Line(&amp;L)</source>
        <translation>直线(&amp;L)</translation>
    </message>
    <message>
        <source>Arc(&amp;A)</source>
        <translation>角度(&amp;A)</translation>
    </message>
    <message>
        <source>Rectangle(&amp;R)</source>
        <translation>矩形(&amp;R)</translation>
    </message>
    <message>
        <source>Circle(&amp;C)</source>
        <translation>圆(&amp;C)</translation>
    </message>
    <message>
        <source>Start Capture Video</source>
        <translation>开始录像</translation>
    </message>
    <message>
        <source>Stop Capture</source>
        <translation>停止录像</translation>
    </message>
    <message>
        <source>Select(&amp;S)</source>
        <translation>选择(&amp;S)</translation>
    </message>
    <message>
        <source>Property</source>
        <translation>属性</translation>
    </message>
    <message>
        <source>Load</source>
        <translation>载入</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>Single Capture</source>
        <translation>单帧采集</translation>
    </message>
    <message>
        <source>Reconnect</source>
        <translation>重新连接</translation>
    </message>
    <message>
        <source>Erase Firmware</source>
        <translation>擦除固件</translation>
    </message>
    <message>
        <source>details</source>
        <translation>详细</translation>
    </message>
    <message>
        <source>coordinates</source>
        <translation>坐标</translation>
    </message>
    <message>
        <source>Reset Camera</source>
        <translation>复位相机</translation>
    </message>
    <message>
        <source>Polygon</source>
        <translation>多边形</translation>
    </message>
    <message>
        <source>Preview</source>
        <translation>预览</translation>
    </message>
    <message>
        <source>Message</source>
        <translation>消息</translation>
    </message>
    <message>
        <source>Open</source>
        <translation>打开</translation>
    </message>
    <message>
        <source>Open Image</source>
        <translation>打开图像</translation>
    </message>
    <message>
        <source>Record Sequence</source>
        <translation>录制序列</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>默认</translation>
    </message>
    <message>
        <source>Save As</source>
        <translation>另存为</translation>
    </message>
    <message>
        <source>Load From</source>
        <translation>从文件载入</translation>
    </message>
    <message>
        <source>The manual %1 is missing.</source>
        <translation>找不到帮助手册 %1。</translation>
    </message>
</context>
<context>
    <name>PictureOpener</name>
    <message>
        <source>Open Image</source>
        <translation>打开图像</translation>
    </message>
    <message>
        <source>Images (*.png *.bmp *.jpg)</source>
        <translation>图像 (*.png *.bmp *.jpg)</translation>
    </message>
    <message>
        <source>File format does not support!</source>
        <translation>不支持该文件格式！</translation>
    </message>
    <message>
        <source>The picture %1 could not be read: %2</source>
        <translation>无法读取图片 %1：%2</translation>
    </message>
</context>
<context>
    <name>SnapshotController</name>
    <message>
        <source>notice</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Please select valid path!</source>
        <translation>请选择有效的路径！</translation>
    </message>
    <message>
        <source>Picture not saved: %1 (%2)</source>
        <translation>图片未保存：%1（%2）</translation>
    </message>
</context>
</TS>
