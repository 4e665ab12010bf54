-- Product tables that KORU reads and writes, for trying KORU on a scratch SQL Server.
-- Run with sqlcmd -S <server> -d <database> -i product_schema_mssql.sql
-- Tickora databases have no asset (AssetCIID ...) or external-application tables: drop that block.
CREATE TABLE [dbo].[CIID] (
    [ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY,
    [Parent] int NOT NULL DEFAULT 0,
    [StyleID] int NULL,
    [SLAProvider] bit NOT NULL DEFAULT 0,
    [slaid] int NOT NULL DEFAULT 0,
    [Alpha1] nvarchar(50) NULL,
    [Alpha2] nvarchar(50) NULL,
    [Alpha3] nvarchar(50) NULL,
    [Alpha4] nvarchar(50) NULL,
    [Alpha5] nvarchar(50) NULL,
    [Alpha6] nvarchar(50) NULL,
    [Alpha7] nvarchar(50) NULL,
    [Alpha8] nvarchar(50) NULL,
    [Alpha9] nvarchar(50) NULL,
    [Alpha10] nvarchar(50) NULL,
    [Alpha11] nvarchar(50) NULL,
    [Alpha12] nvarchar(50) NULL,
    [Alpha13] nvarchar(50) NULL,
    [Alpha14] nvarchar(50) NULL,
    [Alpha15] nvarchar(50) NULL,
    [Num1] nvarchar(35) NULL,
    [Num2] nvarchar(35) NULL,
    [Num3] nvarchar(35) NULL,
    [Num4] nvarchar(35) NULL,
    [Num5] nvarchar(35) NULL,
    [Num6] nvarchar(35) NULL,
    [Num7] nvarchar(35) NULL,
    [Num8] nvarchar(35) NULL,
    [Num9] nvarchar(35) NULL,
    [Num10] nvarchar(35) NULL,
    [EmailID] nvarchar(200) NULL,
    [WebID] nvarchar(100) NULL,
    [Notes] ntext NULL
)
GO
CREATE TABLE [dbo].[CIIDHistory] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [CIIDID] int NOT NULL, [Parent] int NULL, [Date] datetime NULL, [Time] datetime NULL, [Username] nvarchar(50) NULL)
GO
CREATE TRIGGER [CIID_History] ON [dbo].[CIID] AFTER UPDATE AS
    INSERT INTO [CIIDHistory] ([CIIDID], [Parent], [Date], [Time], [Username])
    SELECT [ID], [Parent], current_timestamp, current_timestamp, 'PRODUCT' FROM inserted
GO
CREATE TABLE [dbo].[Style] (
    [ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY,
    [Specstyle] nvarchar(50) NULL,
    [DisplayID] int NULL,
    [Alpha1] nvarchar(50) NULL,
    [Alpha2] nvarchar(50) NULL,
    [Alpha3] nvarchar(50) NULL,
    [Alpha4] nvarchar(50) NULL,
    [Alpha5] nvarchar(50) NULL,
    [Alpha6] nvarchar(50) NULL,
    [Alpha7] nvarchar(50) NULL,
    [Alpha8] nvarchar(50) NULL,
    [Alpha9] nvarchar(50) NULL,
    [Alpha10] nvarchar(50) NULL,
    [Alpha11] nvarchar(50) NULL,
    [Alpha12] nvarchar(50) NULL,
    [Alpha13] nvarchar(50) NULL,
    [Alpha14] nvarchar(50) NULL,
    [Alpha15] nvarchar(50) NULL,
    [Num1] nvarchar(50) NULL,
    [Num2] nvarchar(50) NULL,
    [Num3] nvarchar(50) NULL,
    [Num4] nvarchar(50) NULL,
    [Num5] nvarchar(50) NULL,
    [Num6] nvarchar(50) NULL,
    [Num7] nvarchar(50) NULL,
    [Num8] nvarchar(50) NULL,
    [Num9] nvarchar(50) NULL,
    [Num10] nvarchar(50) NULL,
    [Alpha1Req] bit NOT NULL DEFAULT 0,
    [Alpha2Req] bit NOT NULL DEFAULT 0,
    [Alpha3Req] bit NOT NULL DEFAULT 0,
    [Alpha4Req] bit NOT NULL DEFAULT 0,
    [Alpha5Req] bit NOT NULL DEFAULT 0,
    [Alpha6Req] bit NOT NULL DEFAULT 0,
    [Alpha7Req] bit NOT NULL DEFAULT 0,
    [Alpha8Req] bit NOT NULL DEFAULT 0,
    [Alpha9Req] bit NOT NULL DEFAULT 0,
    [Alpha10Req] bit NOT NULL DEFAULT 0,
    [Alpha11Req] bit NOT NULL DEFAULT 0,
    [Alpha12Req] bit NOT NULL DEFAULT 0,
    [Alpha13Req] bit NOT NULL DEFAULT 0,
    [Alpha14Req] bit NOT NULL DEFAULT 0,
    [Alpha15Req] bit NOT NULL DEFAULT 0,
    [Num1Req] bit NOT NULL DEFAULT 0,
    [Num2Req] bit NOT NULL DEFAULT 0,
    [Num3Req] bit NOT NULL DEFAULT 0,
    [Num4Req] bit NOT NULL DEFAULT 0,
    [Num5Req] bit NOT NULL DEFAULT 0,
    [Num6Req] bit NOT NULL DEFAULT 0,
    [Num7Req] bit NOT NULL DEFAULT 0,
    [Num8Req] bit NOT NULL DEFAULT 0,
    [Num9Req] bit NOT NULL DEFAULT 0,
    [Num10Req] bit NOT NULL DEFAULT 0
)
GO
CREATE TABLE [dbo].[KNOWLEDGE] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [Definition] ntext NULL, [Resolution] ntext NULL, [Keywords] nvarchar(255) NULL, [CategoriesID] int NULL)
GO
CREATE TABLE [dbo].[categories] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [Parent] int NOT NULL DEFAULT 0, [Description] nvarchar(100) NULL)
GO
CREATE TABLE [dbo].[VISITING] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [StartDate] datetime NULL, [Status] nvarchar(10) NULL, [CIIDID] int NULL, [TrackUser] nvarchar(50) NULL)
GO
CREATE TABLE [dbo].[WebCount] ([userID] nvarchar(50) NULL, [IP] nvarchar(50) NULL, [DateTime] datetime NULL)
GO
CREATE TABLE [dbo].[Request] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [Summary] nvarchar(255) NULL)
GO
CREATE TABLE [dbo].[Ties] ([RQID] int NOT NULL, [CIID] int NOT NULL)
GO
CREATE TABLE [dbo].[RequestLog] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [RequestID] int NOT NULL)
GO
CREATE TABLE [dbo].[RequestAction] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [RequestID] int NOT NULL)
GO
CREATE TABLE [dbo].[RequestActivity] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [RequestID] int NOT NULL)
GO
CREATE TABLE [dbo].[attach] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [Rqid] int NOT NULL)
GO
CREATE TABLE [dbo].[UdfVals] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [Rqid] int NOT NULL)
GO

-- Asset product (Ledgora) only.
CREATE TABLE [dbo].[AssetCIID] (
    [ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY,
    [CIIDID] int NOT NULL,
    [AssetID] nvarchar(50) NULL,
    [StyleID] int NULL,
    [UserName] nvarchar(50) NULL,
    [ManualTrackingFlag] bit NULL,
    [UseMaintain] bit NULL,
    [Leased] bit NULL,
    [CostCentre] nvarchar(50) NULL,
    [Location] nvarchar(50) NULL,
    [OriginalPrice] money NULL,
    [SalvagePrice] money NULL,
    [AcquireDate] datetime NULL,
    [DepPeriod] int NULL,
    [Alpha1] nvarchar(50) NULL,
    [Alpha2] nvarchar(50) NULL,
    [Alpha3] nvarchar(50) NULL,
    [Alpha4] nvarchar(50) NULL,
    [Alpha5] nvarchar(50) NULL,
    [Num1] nvarchar(20) NULL,
    [Num2] nvarchar(20) NULL,
    [Num3] nvarchar(20) NULL,
    [Num4] nvarchar(20) NULL,
    [Num5] nvarchar(20) NULL,
    [Date1] datetime NULL,
    [Date2] datetime NULL,
    [Date3] datetime NULL,
    [Date4] datetime NULL,
    [Date5] datetime NULL,
    [Curr1] money NULL,
    [Curr2] money NULL,
    [Curr3] money NULL,
    [Curr4] money NULL,
    [Curr5] money NULL,
    [UseValue] bit NULL,
    [UseDep] bit NULL,
    [DepType] int NULL
)
GO
CREATE TABLE [dbo].[AssetMaintain] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [CIIDID] int NOT NULL, [Notes] nvarchar(255) NULL)
GO
CREATE TABLE [dbo].[AssetCIIDHistory] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [CIIDID] int NOT NULL, [Date] datetime NULL, [Time] datetime NULL, [Username] nvarchar(50) NULL)
GO
CREATE TABLE [dbo].[AssetMaintainHistory] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [CIIDID] int NOT NULL, [Date] datetime NULL, [Time] datetime NULL, [Username] nvarchar(50) NULL)
GO
CREATE TABLE [dbo].[AssetAttach] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [CIIDID] int NOT NULL)
GO
CREATE TABLE [dbo].[AssetStyle] ([StyleID] int NOT NULL PRIMARY KEY, [Specstyle] nvarchar(50) NULL, [Location] nvarchar(50) NULL, [CustomF1] nvarchar(50) NULL, [CustomF2] nvarchar(50) NULL, [Alpha1] nvarchar(50) NULL, [Alpha2] nvarchar(50) NULL, [Alpha3] nvarchar(50) NULL, [Alpha4] nvarchar(50) NULL, [Alpha5] nvarchar(50) NULL, [Num1] nvarchar(50) NULL, [Num2] nvarchar(50) NULL, [Num3] nvarchar(50) NULL, [Num4] nvarchar(50) NULL, [Num5] nvarchar(50) NULL, [Date1] nvarchar(50) NULL, [Date2] nvarchar(50) NULL, [Date3] nvarchar(50) NULL, [Date4] nvarchar(50) NULL, [Date5] nvarchar(50) NULL, [Curr1] nvarchar(50) NULL, [Curr2] nvarchar(50) NULL, [Curr3] nvarchar(50) NULL, [Curr4] nvarchar(50) NULL, [Curr5] nvarchar(50) NULL)
GO
CREATE TABLE [dbo].[ExtApps] ([appID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [appDescription] nvarchar(100) NULL, [ConnectionString] nvarchar(255) NULL)
GO
CREATE TABLE [dbo].[ExtLinks] ([ID] int IDENTITY (1, 1) NOT NULL PRIMARY KEY, [CIID] int NOT NULL, [AppID] int NOT NULL, [LinkID] nvarchar(50) NULL)
GO
CREATE TRIGGER [AssetCIID_History] ON [dbo].[AssetCIID] AFTER UPDATE AS
    INSERT INTO [AssetCIIDHistory] ([CIIDID], [Date], [Time], [Username])
    SELECT [CIIDID], current_timestamp, current_timestamp, 'PRODUCT' FROM inserted
GO
CREATE TRIGGER [AssetMaintain_History] ON [dbo].[AssetMaintain] AFTER UPDATE AS
    INSERT INTO [AssetMaintainHistory] ([CIIDID], [Date], [Time], [Username])
    SELECT [CIIDID], current_timestamp, current_timestamp, 'PRODUCT' FROM inserted
GO
