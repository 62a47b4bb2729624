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
    <name>AviThread</name>
    <message>
        <source>Recording not started: %1</source>
        <translation>录像未开始：%1</translation>
    </message>
    <message>
        <source>Recording stopped: %1</source>
        <translation>录像已停止：%1</translation>
    </message>
    <message>
        <source>Recording not finished: %1</source>
        <translation>录像未完成：%1</translation>
    </message>
</context>
<context>
    <name>CaptureOptionsPage</name>
    <message>
        <source>Open Directory</source>
        <translation>打开目录</translation>
    </message>
    <message>
        <source>notice</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Please enter a shot interval from 1 to %1.</source>
        <translation>请输入 1 到 %1 之间的拍照间隔。</translation>
    </message>
</context>
<context>
    <name>DeadPixelEditor</name>
    <message>
        <source>notice</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>The camera keeps dead pixels in full-sensor positions, which this picture does not show one to one. Select the largest resolution without ROI, play the video and open the histogram again.</source>
        <translation>相机按整个传感器的坐标保存坏点，而当前画面与其并非一一对应。请选择不带 ROI 的最大分辨率，播放视频后重新打开直方图。</translation>
    </message>
    <message>
        <source>The list holds %1 pixels already. Delete some before adding more.</source>
        <translation>列表中已有 %1 个像素。请先删除一些再添加。</translation>
    </message>
    <message>
        <source>You just can add 63 points dead pixels.</source>
        <translation>最多只能添加 63 个坏点。</translation>
    </message>
</context>
<context>
    <name>DiagnosticWindows</name>
    <message>
        <source>Notice</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Please play the video!</source>
        <translation>请先播放视频！</translation>
    </message>
</context>
<context>
    <name>DockCalibration</name>
    <message>
        <source>Calibration</source>
        <translation>标定</translation>
    </message>
    <message>
        <source>Actual Distance:</source>
        <translation>实际距离：</translation>
    </message>
    <message>
        <source>Pixel Acount:</source>
        <translation>像素数：</translation>
    </message>
    <message>
        <source>Calculate</source>
        <translation>计算</translation>
    </message>
    <message>
        <source>Precision:</source>
        <translation>精度：</translation>
    </message>
    <message>
        <source>&amp;Save</source>
        <translation>保存(&amp;S)</translation>
    </message>
    <message>
        <source>&amp;Reset</source>
        <translation>复位(&amp;R)</translation>
    </message>
    <message>
        <source>cm</source>
        <translation>cm</translation>
    </message>
    <message>
        <source>mm</source>
        <translation>mm</translation>
    </message>
    <message>
        <source>um</source>
        <translation>um</translation>
    </message>
    <message>
        <source>Warn</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Invalid numbers.</source>
        <translation>数值无效。</translation>
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
    <name>DockProperty</name>
    <message>
        <source>Property</source>
        <translation>属性</translation>
    </message>
    <message>
        <source>Color</source>
        <translation>颜色</translation>
    </message>
    <message>
        <source>black</source>
        <translation>黑色</translation>
    </message>
    <message>
        <source>white</source>
        <translation>白色</translation>
    </message>
    <message>
        <source>red</source>
        <translation>红色</translation>
    </message>
    <message>
        <source>green</source>
        <translation>绿色</translation>
    </message>
    <message>
        <source>blue</source>
        <translation>蓝色</translation>
    </message>
    <message>
        <source>cyan</source>
        <translation>青色</translation>
    </message>
    <message>
        <source>magenta</source>
        <translation>品红</translation>
    </message>
    <message>
        <source>yellow</source>
        <translation>黄色</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>线宽</translation>
    </message>
    <message>
        <source>Text</source>
        <translation>文字</translation>
    </message>
    <message>
        <source>Show</source>
        <translation>显示</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>应用</translation>
    </message>
    <message>
        <source>Info</source>
        <translation>信息</translation>
    </message>
    <message>
        <source>Please select a mark first!</source>
        <translation>请先选择一个标记！</translation>
    </message>
</context>
<context>
    <name>Histogram</name>
    <message>
        <source>Image Histogram</source>
        <translation>图像直方图</translation>
    </message>
    <message>
        <source>Image</source>
        <translation>图像</translation>
    </message>
    <message>
        <source>Width:</source>
        <translation>宽度：</translation>
    </message>
    <message>
        <source>Max:</source>
        <translation>最大值：</translation>
    </message>
    <message>
        <source>Height:</source>
        <translation>高度：</translation>
    </message>
    <message>
        <source>Min:</source>
        <translation>最小值：</translation>
    </message>
    <message>
        <source>Depth:</source>
        <translation>位深：</translation>
    </message>
    <message>
        <source>Average:</source>
        <translation>平均值：</translation>
    </message>
    <message>
        <source>Inspect</source>
        <translation>像素查看</translation>
    </message>
    <message>
        <source>Position:</source>
        <translation>位置：</translation>
    </message>
    <message>
        <source>Gray</source>
        <translation>灰度</translation>
    </message>
    <message>
        <source>RGB:</source>
        <translation>RGB：</translation>
    </message>
    <message>
        <source>Save Position</source>
        <translation>保存位置</translation>
    </message>
    <message>
        <source>Dead Pixel</source>
        <translation>坏点</translation>
    </message>
    <message>
        <source>Total</source>
        <translation>总数</translation>
    </message>
    <message>
        <source>Brightness from which Auto Find takes a pixel for stuck</source>
        <translation>自动查找时，亮度达到此值的像素被视为坏点</translation>
    </message>
    <message>
        <source>Auto Find </source>
        <translation>自动查找</translation>
    </message>
    <message>
        <source>Delete One</source>
        <translation>删除一个</translation>
    </message>
    <message>
        <source>Clear All</source>
        <translation>全部清除</translation>
    </message>
    <message>
        <source>Write 
 EEPROM</source>
        <translation>写入
EEPROM</translation>
    </message>
</context>
<context>
    <name>IOControl</name>
    <message>
        <source>IO Control</source>
        <translation>IO 控制</translation>
    </message>
    <message>
        <source>IO</source>
        <translation>IO</translation>
    </message>
    <message>
        <source>IN</source>
        <translation>输入</translation>
    </message>
    <message>
        <source>Refresh Input</source>
        <translation>刷新输入</translation>
    </message>
    <message>
        <source>OUT</source>
        <translation>输出</translation>
    </message>
    <message>
        <source>Strobe</source>
        <translation>闪光灯</translation>
    </message>
    <message>
        <source>Enable strobe</source>
        <translation>启用闪光灯</translation>
    </message>
    <message>
        <source>Invert strobe polarity</source>
        <translation>闪光灯极性反转</translation>
    </message>
    <message>
        <source>Trigger</source>
        <translation>触发</translation>
    </message>
    <message>
        <source>Enter trigger mode</source>
        <translation>进入触发模式</translation>
    </message>
    <message>
        <source>Auto trigger</source>
        <translation>自动触发</translation>
    </message>
    <message>
        <source>Save snapshot to file</source>
        <translation>快照保存到文件</translation>
    </message>
    <message>
        <source>Software Trigger</source>
        <translation>软件触发</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Trigger mode not supported.</source>
        <translation>不支持触发模式。</translation>
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
    <name>Mark</name>
    <message>
        <source>Arc Mark</source>
        <translation>角度标记</translation>
    </message>
    <message>
        <source>Circle Mark</source>
        <translation>圆标记</translation>
    </message>
    <message>
        <source>Coordinates</source>
        <translation>坐标</translation>
    </message>
    <message>
        <source>Horizontal Line Mark</source>
        <translation>水平线标记</translation>
    </message>
    <message>
        <source>Line Mark</source>
        <translation>直线标记</translation>
    </message>
    <message>
        <source>Polygon Mark</source>
        <translation>多边形标记</translation>
    </message>
    <message>
        <source>Rectangle Mark</source>
        <translation>矩形标记</translation>
    </message>
    <message>
        <source>Vertical Line Mark</source>
        <translation>垂直线标记</translation>
    </message>
</context>
<context>
    <name>MarkFile</name>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>%1 is %2 MB, too large to be a mark file; no marks were loaded. Check that it is the right file.</source>
        <translation>%1 大小为 %2 MB，不可能是标记文件；未载入任何标记。请确认文件是否正确。</translation>
    </message>
    <message>
        <source>Cannot read %1: %2</source>
        <translation>无法读取 %1：%2</translation>
    </message>
</context>
<context>
    <name>MeasureController</name>
    <message>
        <source>Load</source>
        <translation>载入</translation>
    </message>
    <message>
        <source>Override?</source>
        <translation>覆盖？</translation>
    </message>
    <message>
        <source>No marks in the curvas, do you still want to save?</source>
        <translation>画面上没有标记，仍要保存吗？</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
    </message>
    <message>
        <source>The marks were not saved.</source>
        <translation>标记未保存。</translation>
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
    <name>QObject</name>
    <message>
        <source>The file &quot;%1&quot; could not be written. Check that the folder is writable and the disk has room, then save again.</source>
        <translation>无法写入文件“%1”。请检查文件夹是否可写、磁盘是否有剩余空间，然后重新保存。</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; could not be read: %2</source>
        <translation>无法读取文件“%1”：%2</translation>
    </message>
    <message>
        <source>The file &quot;%1&quot; could not be read.</source>
        <translation>无法读取文件“%1”。</translation>
    </message>
</context>
<context>
    <name>RWRegister</name>
    <message>
        <source>R/W Register</source>
        <translation>读写寄存器</translation>
    </message>
    <message>
        <source>Category</source>
        <translation>类别</translation>
    </message>
    <message>
        <source>SCCB</source>
        <translation>SCCB</translation>
    </message>
    <message>
        <source>EEPROM</source>
        <translation>EEPROM</translation>
    </message>
    <message>
        <source>Address</source>
        <translation>地址</translation>
    </message>
    <message>
        <source>Hexadecimal, 0 to FFFF</source>
        <translation>十六进制，0 到 FFFF</translation>
    </message>
    <message>
        <source>Read Reg</source>
        <translation>读寄存器</translation>
    </message>
    <message>
        <source>Value</source>
        <translation>值</translation>
    </message>
    <message>
        <source>Hexadecimal, 0 to FFFF (EEPROM: one byte)</source>
        <translation>十六进制，0 到 FFFF（EEPROM：一个字节）</translation>
    </message>
    <message>
        <source>Write Reg</source>
        <translation>写寄存器</translation>
    </message>
    <message>
        <source>R/W GUID</source>
        <translation>读写 GUID</translation>
    </message>
    <message>
        <source>Writer GUID</source>
        <translation>写入 GUID</translation>
    </message>
    <message>
        <source>Read GUID</source>
        <translation>读取 GUID</translation>
    </message>
    <message>
        <source>NOTICE</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Addresses and values are hexadecimal numbers from 0 to FFFF.</source>
        <translation>地址和值均为 0 到 FFFF 之间的十六进制数。</translation>
    </message>
    <message>
        <source>Please ask permission from vendor to write GUID.</source>
        <translation>写入 GUID 前请先征得厂商许可。</translation>
    </message>
    <message>
        <source>Please enter a valid GUID(12 digits or letters).</source>
        <translation>请输入有效的 GUID（12 位数字或字母）。</translation>
    </message>
    <message>
        <source>GUID write successfully.</source>
        <translation>GUID 写入成功。</translation>
    </message>
</context>
<context>
    <name>RecorderDlg</name>
    <message>
        <source>Recorder</source>
        <translation>录制器</translation>
    </message>
    <message>
        <source>Frame</source>
        <translation>帧</translation>
    </message>
    <message>
        <source>Time</source>
        <translation>时间</translation>
    </message>
    <message>
        <source>Record</source>
        <translation>录制</translation>
    </message>
    <message>
        <source>Save Sequence</source>
        <translation>保存序列</translation>
    </message>
    <message>
        <source>Save Avi</source>
        <translation>保存 AVI</translation>
    </message>
    <message>
        <source>Buffer Count</source>
        <translation>缓冲区数量</translation>
    </message>
    <message>
        <source>Set</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Free</source>
        <translation>释放</translation>
    </message>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>Please play to video to determine the image size.</source>
        <translation>请先播放视频以确定图像尺寸。</translation>
    </message>
    <message>
        <source>Enter a buffer count from 1 to %1.</source>
        <translation>请输入 1 到 %1 之间的缓冲区数量。</translation>
    </message>
    <message>
        <source>Maximun buffer count limited to %1 within 1.5GB memory.</source>
        <translation>受 1.5GB 内存限制，缓冲区数量最多为 %1。</translation>
    </message>
    <message>
        <source>A video is being recorded. Stop Capture first.</source>
        <translation>正在录像。请先停止录像。</translation>
    </message>
    <message>
        <source>Buffer is full!</source>
        <translation>缓冲区已满！</translation>
    </message>
    <message>
        <source>Cancel</source>
        <translation>取消</translation>
    </message>
    <message>
        <source>Open Directory</source>
        <translation>打开目录</translation>
    </message>
    <message>
        <source>Saving pictures...</source>
        <translation>正在保存图片...</translation>
    </message>
    <message>
        <source>Choose a folder you can write to and save again.</source>
        <translation>请选择一个可写入的文件夹，然后重新保存。</translation>
    </message>
    <message>
        <source>Save Avi File</source>
        <translation>保存 AVI 文件</translation>
    </message>
    <message>
        <source>Saving AVI...</source>
        <translation>正在保存 AVI...</translation>
    </message>
</context>
<context>
    <name>RecordingController</name>
    <message>
        <source>Warning</source>
        <translation>警告</translation>
    </message>
    <message>
        <source>The sequence recorder holds %1 frames. Save or free them in the Recorder window before recording a video.</source>
        <translation>序列录制器中有 %1 帧。录像前请先在“录制器”窗口中保存或释放这些帧。</translation>
    </message>
    <message>
        <source>Start Capture ...</source>
        <translation>开始录像...</translation>
    </message>
    <message>
        <source>Stopped before the first frame: no file written.</source>
        <translation>在第一帧之前已停止：未写入文件。</translation>
    </message>
    <message>
        <source>Saving...</source>
        <translation>正在保存...</translation>
    </message>
    <message>
        <source>Recording to %1</source>
        <translation>正在录像到 %1</translation>
    </message>
    <message>
        <source>The recording could not start: the recorder is busy.</source>
        <translation>无法开始录像：录制器正忙。</translation>
    </message>
    <message>
        <source>The frame size changed to %1x%2: the recording ended, because a file holds one frame size. Start a new recording for the new size.</source>
        <translation>帧尺寸已变为 %1x%2：一个文件只能保存一种帧尺寸，因此录像已结束。请为新尺寸开始新的录像。</translation>
    </message>
    <message>
        <source>Saved. total %1 dropped %2</source>
        <translation>已保存。共 %1 帧，丢帧 %2</translation>
    </message>
    <message>
        <source>The camera was closed: the recording ended.</source>
        <translation>相机已关闭：录像已结束。</translation>
    </message>
</context>
<context>
    <name>SequenceExport</name>
    <message>
        <source>Cannot write %1: %2</source>
        <translation>无法写入 %1：%2</translation>
    </message>
    <message>
        <source>Cannot save the sequence: %1</source>
        <translation>无法保存序列：%1</translation>
    </message>
    <message>
        <source>Sequence AVI ended early: %1</source>
        <translation>序列 AVI 提前结束：%1</translation>
    </message>
</context>
<context>
    <name>SettingDialog</name>
    <message>
        <source>Setting</source>
        <translation>设置</translation>
    </message>
    <message>
        <source>Sensor</source>
        <translation>传感器</translation>
    </message>
    <message>
        <source>Image Enhancement</source>
        <translation>图像增强</translation>
    </message>
    <message>
        <source>Gamma</source>
        <translation>伽马</translation>
    </message>
    <message>
        <source>Contrast</source>
        <translation>对比度</translation>
    </message>
    <message>
        <source>Saturation</source>
        <translation>饱和度</translation>
    </message>
    <message>
        <source>Black Level</source>
        <translation>黑电平</translation>
    </message>
    <message>
        <source>Exposure</source>
        <translation>曝光</translation>
    </message>
    <message>
        <source>Auto Gain</source>
        <translation>自动增益</translation>
    </message>
    <message>
        <source>Gain</source>
        <translation>增益</translation>
    </message>
    <message>
        <source>Auto Exposure</source>
        <translation>自动曝光</translation>
    </message>
    <message>
        <source>AE Target</source>
        <translation>AE 目标</translation>
    </message>
    <message>
        <source>Flicker Avoidence</source>
        <translation>抗频闪</translation>
    </message>
    <message>
        <source>50Hz</source>
        <translation>50Hz</translation>
    </message>
    <message>
        <source>60Hz</source>
        <translation>60Hz</translation>
    </message>
    <message>
        <source>Timeout </source>
        <translation>超时</translation>
    </message>
    <message>
        <source>White Balance</source>
        <translation>白平衡</translation>
    </message>
    <message>
        <source>AWB</source>
        <translation>自动白平衡</translation>
    </message>
    <message>
        <source>One Push WB</source>
        <translation>一键白平衡</translation>
    </message>
    <message>
        <source>Red Gain</source>
        <translation>红色增益</translation>
    </message>
    <message>
        <source>Green Gain</source>
        <translation>绿色增益</translation>
    </message>
    <message>
        <source>Blue Gain</source>
        <translation>蓝色增益</translation>
    </message>
    <message>
        <source>ROI</source>
        <translation>ROI</translation>
    </message>
    <message>
        <source>OffsetX</source>
        <translation>X 偏移</translation>
    </message>
    <message>
        <source>OffsetY</source>
        <translation>Y 偏移</translation>
    </message>
    <message>
        <source>Width</source>
        <translation>宽度</translation>
    </message>
    <message>
        <source>Height</source>
        <translation>高度</translation>
    </message>
    <message>
        <source>Return Max Reso</source>
        <translation>恢复最大分辨率</translation>
    </message>
    <message>
        <source>Draw ROI</source>
        <translation>绘制 ROI</translation>
    </message>
    <message>
        <source>Apply</source>
        <translation>应用</translation>
    </message>
    <message>
        <source>Resolution Mode</source>
        <translation>分辨率模式</translation>
    </message>
    <message>
        <source>Cropping</source>
        <translation>裁剪</translation>
    </message>
    <message>
        <source>Skipping</source>
        <translation>抽点</translation>
    </message>
    <message>
        <source>Binning</source>
        <translation>合并</translation>
    </message>
    <message>
        <source>Misc</source>
        <translation>其他</translation>
    </message>
    <message>
        <source>Frame Control</source>
        <translation>帧控制</translation>
    </message>
    <message>
        <source>Mirror X</source>
        <translation>X 镜像</translation>
    </message>
    <message>
        <source>Mirror Y</source>
        <translation>Y 镜像</translation>
    </message>
    <message>
        <source>Rotate</source>
        <translation>旋转</translation>
    </message>
    <message>
        <source>HighSpeed</source>
        <translation>高速</translation>
    </message>
    <message>
        <source>SlowDown</source>
        <translation>降速</translation>
    </message>
    <message>
        <source>Image Format</source>
        <translation>图像格式</translation>
    </message>
    <message>
        <source>RAW8</source>
        <translation>RAW8</translation>
    </message>
    <message>
        <source>GRAY8</source>
        <translation>GRAY8</translation>
    </message>
    <message>
        <source>RGB24</source>
        <translation>RGB24</translation>
    </message>
    <message>
        <source>Parameter</source>
        <translation>参数</translation>
    </message>
    <message>
        <source>Group 0</source>
        <translation>组 0</translation>
    </message>
    <message>
        <source>Group 1</source>
        <translation>组 1</translation>
    </message>
    <message>
        <source>Default</source>
        <translation>默认</translation>
    </message>
    <message>
        <source>Save</source>
        <translation>保存</translation>
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
        <source>Advanced</source>
        <translation>高级</translation>
    </message>
    <message>
        <source>Enable CCM Enhancement</source>
        <translation>启用 CCM 色彩增强</translation>
    </message>
    <message>
        <source>CCM</source>
        <translation>CCM</translation>
    </message>
    <message>
        <source>Advanced Gain</source>
        <translation>高级增益</translation>
    </message>
    <message>
        <source>Exposure Scale</source>
        <translation>曝光倍率</translation>
    </message>
    <message>
        <source>Raw Image</source>
        <translation>原始图像</translation>
    </message>
    <message>
        <source>Save Raw Image</source>
        <translation>保存原始图像</translation>
    </message>
    <message>
        <source>Capture</source>
        <translation>采集</translation>
    </message>
    <message>
        <source>File</source>
        <translation>文件</translation>
    </message>
    <message>
        <source>Save Path</source>
        <translation>保存路径</translation>
    </message>
    <message>
        <source>Browse...</source>
        <translation>浏览...</translation>
    </message>
    <message>
        <source>File Type</source>
        <translation>文件类型</translation>
    </message>
    <message>
        <source>BMP</source>
        <translation>BMP</translation>
    </message>
    <message>
        <source>JPG</source>
        <translation>JPG</translation>
    </message>
    <message>
        <source>PNG</source>
        <translation>PNG</translation>
    </message>
    <message>
        <source>Quality</source>
        <translation>质量</translation>
    </message>
    <message>
        <source>Compression</source>
        <translation>压缩</translation>
    </message>
    <message>
        <source>No Compress</source>
        <translation>不压缩</translation>
    </message>
    <message>
        <source>On Time Shot</source>
        <translation>定时拍照</translation>
    </message>
    <message>
        <source>Enable</source>
        <translation>启用</translation>
    </message>
    <message>
        <source>Shot Interval</source>
        <translation>拍照间隔</translation>
    </message>
    <message>
        <source>Unit</source>
        <translation>单位</translation>
    </message>
    <message>
        <source>minutes</source>
        <translation>分钟</translation>
    </message>
    <message>
        <source>seconds</source>
        <translation>秒</translation>
    </message>
    <message>
        <source>Scale image</source>
        <translation>图像缩放</translation>
    </message>
    <message>
        <source> Video</source>
        <translation>视频</translation>
    </message>
    <message>
        <source>Backlog</source>
        <translation>积压帧数</translation>
    </message>
    <message>
        <source>Instant FPS</source>
        <translation>瞬时帧率</translation>
    </message>
    <message>
        <source>notice</source>
        <translation>提示</translation>
    </message>
    <message>
        <source>Please enter valid numbers.</source>
        <translation>请输入有效的数值。</translation>
    </message>
    <message>
        <source>ROI not supported or parameter invalid.</source>
        <translation>不支持 ROI 或参数无效。</translation>
    </message>
    <message>
        <source>Draw ROI?</source>
        <translation>绘制 ROI？</translation>
    </message>
    <message>
        <source>Please make sure the current resolution is the maximum resolution.
Are you want to draw rectangle to create ROI now?</source>
        <translation>请确认当前分辨率为最大分辨率。
现在要绘制矩形来创建 ROI 吗？</translation>
    </message>
    <message>
        <source>Save parameters file</source>
        <translation>保存参数文件</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Load parameters file</source>
        <translation>载入参数文件</translation>
    </message>
    <message>
        <source>Invalid camera configuration file!</source>
        <translation>无效的相机配置文件！</translation>
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
<context>
    <name>Statistics</name>
    <message>
        <source>Measurement</source>
        <translation>测量</translation>
    </message>
    <message>
        <source>Type</source>
        <translation>类型</translation>
    </message>
    <message>
        <source>base.X</source>
        <translation>基点.X</translation>
    </message>
    <message>
        <source>base.Y</source>
        <translation>基点.Y</translation>
    </message>
    <message>
        <source>second.X</source>
        <translation>第二点.X</translation>
    </message>
    <message>
        <source>second.Y</source>
        <translation>第二点.Y</translation>
    </message>
    <message>
        <source>result1</source>
        <translation>结果1</translation>
    </message>
    <message>
        <source>result2</source>
        <translation>结果2</translation>
    </message>
    <message>
        <source>area</source>
        <translation>面积</translation>
    </message>
    <message>
        <source>Export CSV</source>
        <translation>导出 CSV</translation>
    </message>
    <message>
        <source>Delete</source>
        <translation>删除</translation>
    </message>
    <message>
        <source>Save file</source>
        <translation>保存文件</translation>
    </message>
    <message>
        <source>CSV File (*.csv)</source>
        <translation>CSV 文件 (*.csv)</translation>
    </message>
    <message>
        <source>Error</source>
        <translation>错误</translation>
    </message>
    <message>
        <source>Failed to open the file.</source>
        <translation>无法打开文件。</translation>
    </message>
    <message>
        <source>%1: %2. Choose a folder you can write to.</source>
        <translation>%1：%2。请选择一个可写入的文件夹。</translation>
    </message>
</context>
</TS>
