patch:Param fields
description:Every way a param can lack a field.
param:
param:yn|On:90
param:yn|On:90|Off
param:num
param:TEXT
param:maybe|x
param:yn|On:9090|Off:E841
location:AABB
